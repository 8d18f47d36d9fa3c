// The configuration file: one JSON document ("format": "vesta-vx-configuration"),
// written atomically, read with every field checked.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "commissioning/configuration.h"

namespace vx::commissioning {

inline constexpr const char* kConfigurationFormat = "vesta-vx-configuration";
constexpr int kConfigurationFormatVersion = 1;

// The document: one line per section, number tables on one line each, one line per module.
std::string configuration_to_json(const Configuration& configuration);
// "" on success, else what is wrong with the document (configuration is then unspecified).
std::string configuration_from_json(std::string_view text, Configuration& configuration);

// Replaces the file only once the new one is complete. "" or the error text.
std::string save_configuration(const std::filesystem::path& path,
                               const Configuration& configuration);
// "" or the error text, which names the file.
std::string load_configuration(const std::filesystem::path& path, Configuration& configuration);

// "A1" to "P16": the X10 address of byte house * 16 + key of a table.
std::string x10_address_name(int index);

}  // namespace vx::commissioning
