// Loading a configuration file and reading what it holds from the controller.
#include "commissioning/file_against_controller.h"

#include "commissioning/configuration_file.h"
#include "commissioning/configuration_restore.h"

namespace vx::commissioning {

FileAgainstController load_and_read(const std::filesystem::path& path,
                                    const std::vector<ConfigSection>& only,
                                    const ControllerLink& link, const StepObserver& observer) {
    FileAgainstController loaded;
    loaded.file_error = load_configuration(path, loaded.file);
    if (!loaded.file_error.empty()) {
        return loaded;
    }
    SerialPort* serial = nullptr;
    ControllerConnection* c = link(serial);
    if (c == nullptr) {
        return loaded;
    }
    loaded.read_result = read_configuration(*c, restore_read_plan(loaded.file, serial, only),
                                            loaded.controller, loaded.notes, observer);
    return loaded;
}

}  // namespace vx::commissioning
