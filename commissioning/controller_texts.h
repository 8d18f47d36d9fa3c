// The configurator's own texts for controller outcomes, as plain UTF-8 strings, so that
// the windows and the command line report the same words.
#pragma once

namespace vx::commissioning {

inline constexpr const char* kNoAnswerText = "Нет ответа от контроллера.";
inline constexpr const char* kControllerSilentText = "Контроллер не отвечает.";
inline constexpr const char* kFileNotReadText = "Ошибка при открытии файла.";
// An empty file is no program and no firmware: the controller would take it and, for
// firmware, be rebooted onto nothing.
inline constexpr const char* kFileEmptyText = "Файл пуст, в контроллер ничего не передано.";
inline constexpr const char* kInternalErrorText =
    "Произошла внутренняя ошибка программы VX Configurator.";
inline constexpr const char* kProgramBeginFailedText =
    "Контроллер не отвечает или произошла ошибка при задании размера файла";
inline constexpr const char* kFirmwareBeginFailedText = "Ошибка при задании размера файла";
inline constexpr const char* kProgramPacketFailedText = "Ошибка при передаче данных";
inline constexpr const char* kFirmwarePacketFailedText =
    "Ошибка при передаче данных во время загрузки прошивки.\nЗагрузка прервана.";
inline constexpr const char* kFirmwareRebootText =
    "Для завершения процесса обновления прошивки необходимо перезагрузить контроллер.\nЭта "
    "процедура может занять около 5 минут. Пожалуйста, закройте программу, и \nпопытайтесь "
    "подключиться после перезагрузки контроллера.";
// After the reboot notices: the program need not be closed.
inline constexpr const char* kReconnectSentence =
    "\nМожно и не закрывать программу: когда контроллер запустится, выберите Утилиты → "
    "Подключиться к контроллеру.";
// The firmware window shows nothing for a good verdict (the reboot notice follows);
// a command line needs a line of its own for it.
inline constexpr const char* kFirmwareLoadedText = "Прошивка успешно загружена.";
inline constexpr const char* kParameterWriteFailedText = "Ошибка установки параметра.";
inline constexpr const char* kParameterReadFailedText =
    "Произошла ошибка при опросе параметров модуля. Операция прервана.";
inline constexpr const char* kOperationFailedText = "Произошла ошибка.";
inline constexpr const char* kRegisterWriteFailedText = "Ошибка изменение значения регистра.";
inline constexpr const char* kRegisterReadFailedText = "Ошибка получения значения регистра ";

// The verdict of a program load's closing packet: "" for codes without a text.
inline const char* program_verdict_text(int code) {
    switch (code) {
        case 0:
            return "Программа успешно загружена.";
        case 1:
            return "Программа не загружена из-за ошибок при передаче данных.";
        case 2:
            return "Ошибка при попытке открытия программного файла для записи.";
        case 3:
            return "Ошибка при попытке записи в файл.";
        case 4:
            return "Ошибка при попытке загрузки программного файла интерпретатором контроллера.";
        default:
            return "";
    }
}

// The verdict of a firmware load's closing packet: "" for 0 and codes without a text.
inline const char* firmware_verdict_text(int code) {
    switch (code) {
        case 1:
            return "Прошивка не загружена из-за ошибок при передаче данных.";
        case 2:
            return "Ошибка при попытке открытия файла прошивки для записи.";
        case 3:
            return "Ошибка при попытке записи в файл.";
        default:
            return "";
    }
}

}  // namespace vx::commissioning
