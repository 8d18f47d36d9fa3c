// A configuration file set against the controller: the file loaded, then the sections
// it holds read from the controller, for a compare or a restore.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "commissioning/configuration.h"

namespace vx::commissioning {

struct FileAgainstController {
    std::string file_error;     // why the file can't be used ("" once loaded)
    int read_result = kNoLink;  // read_configuration's code, kNoLink without a connection
    Configuration file;
    Configuration controller;
    std::vector<std::string> notes;  // the read's: what of the controller could not be read
};

// Loads the file, then reads from the controller the file's sections in only (all when
// empty); the read stops as the observer asks. The link is asked only once the file is
// loaded, so that a bad file needs no controller.
FileAgainstController load_and_read(const std::filesystem::path& path,
                                    const std::vector<ConfigSection>& only,
                                    const ControllerLink& link, const StepObserver& observer = {});

}  // namespace vx::commissioning
