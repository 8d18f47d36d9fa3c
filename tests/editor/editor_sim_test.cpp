// End to end: what the editor's Compile writes is a program the simulated
// controller accepts (the simulator reads the compiled file on its own).
#include <QFile>

#include "prog_editor_fixture.h"
#include "sim/program_check.h"

namespace vx::ui {
namespace {

TEST_F(ProgEditorTest, TheCompiledFileIsAProgramTheControllerAccepts) {
    set_program(
        QStringLiteral("# Отопление\n"
                       "var[10]=GetHour();\n"
                       "if (var[10]>=22) { var[1]=1; } else {\n"
                       "  if (var[10]<7) { var[1]=1; } else { var[1]=2; };\n"
                       "};\n"
                       "if (var[2]==2) { var[20]=12; goto label[5]; };\n"
                       "if (var[1]==1) { var[20]=18; } else { var[20]=21; };\n"
                       "label[5]:\n"
                       "var[21]=SetThermoregOutput(3, 1, var[20]);\n"
                       "var[22]=StartTimer(1, var[20]);"));
    save_as(path("heating.prg"));
    window->Compile1Click();
    ASSERT_EQ(QStringLiteral("Программа скомпилирована успешно."), messages().value(1));

    const QByteArray compiled = read(path("heating.prg.cpl"));
    const sim::ProgramCheck check = sim::check_compiled_program(std::span<const uint8_t>(
        reinterpret_cast<const uint8_t*>(compiled.constData()), compiled.size()));
    EXPECT_TRUE(check.valid) << check.problem;
    EXPECT_EQ(static_cast<std::size_t>(compiled.size() - 8) / 12, check.instruction_count);
}

}  // namespace
}  // namespace vx::ui
