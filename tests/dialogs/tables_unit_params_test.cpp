// The module parameters dialog against the fake controller: the grid, read
// all with its stop and its failure, read one, and the three outcomes of a set.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QPushButton>
#include <QSpinBox>

#include "dialog_fixture.h"
#include "dialogs/Unit_params_f.h"
#include "ui/string_grid.h"

namespace vx::test {
namespace {

using ui::Tunit_params;

constexpr uint8_t kModule = 5;

Bytes read_request(int parameter) {
    return with_checksum(Bytes{0x0A, 0x02, kModule, 0x01, static_cast<uint8_t>(parameter), 0, 0});
}
// The module's answer: the request repeated with the value in byte 5 and 0 in byte 6.
Bytes read_answer(int parameter, int value, uint8_t status = 0) {
    return with_checksum(Bytes{0x0A, 0x02, kModule, 0x01, static_cast<uint8_t>(parameter),
                               static_cast<uint8_t>(value), status});
}
// A value that differs from one parameter to the next.
int value_of(int parameter) {
    return (parameter * 7 + 3) % 256;
}

class UnitParamsTest : public ControllerDialogTest {
protected:
    void SetUp() override {
        ControllerDialogTest::SetUp();
        dialog_ = std::make_unique<Tunit_params>(*context_);
        dialog_->ud1->setValue(kModule);
    }
    void TearDown() override {
        dialog_.reset();
        ControllerDialogTest::TearDown();
    }
    QString cell_of(int parameter) const {
        const auto [col, row] = ui::cell_of_parameter(parameter);
        return dialog_->sg1->cell(col, row);
    }
    // Runs action once parameter's cell is written (during a read, between requests).
    void when_cell_written(int parameter, std::function<void()> action) {
        const auto [col, row] = ui::cell_of_parameter(parameter);
        QObject::connect(dialog_->sg1->model(), &QAbstractItemModel::dataChanged, dialog_.get(),
                         [this, col, row, action](const QModelIndex& at) {
                             if (at.column() + 1 == col && at.row() + 1 == row &&
                                 !dialog_->sg1->cell(col, row).isEmpty()) {
                                 action();
                             }
                         });
    }

    std::unique_ptr<Tunit_params> dialog_;
};

TEST_F(UnitParamsTest, GridLayoutAndCellSelection) {
    ui::StringGrid& grid = *dialog_->sg1;
    EXPECT_EQ(17, grid.col_count());
    EXPECT_EQ(17, grid.row_count());
    EXPECT_EQ(128, grid.col_width(0));
    EXPECT_EQ(44, grid.col_width(1));
    EXPECT_EQ(16, grid.row_height());
    EXPECT_EQ("Парамеры (0-15)", grid.cell(0, 1).toStdString());
    EXPECT_EQ("Парамеры (240-255)", grid.cell(0, 16).toStdString());
    EXPECT_EQ("", grid.cell(0, 0).toStdString());

    const struct {
        int col, row, parameter;
    } cases[] = {{5, 3, 36}, {1, 1, 0}, {16, 16, 255}, {9, 3, 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.parameter);
        grid.select_cell(c.col, c.row);
        EXPECT_EQ("Параметр[" + std::to_string(c.parameter) + "]", grid.cell(0, 0).toStdString());
        EXPECT_EQ(c.parameter, dialog_->ud2->value());
        EXPECT_EQ(c.parameter, dialog_->ud3->value());
    }
}

TEST_F(UnitParamsTest, ReadAllFillsEveryParameterInOrder) {
    for (int p = 0; p < ui::kModuleParameterCount; ++p) {
        fake_.expect(read_request(p)).reply(read_answer(p, value_of(p)));
    }
    dialog_->Button1->click();
    fake_.verify();
    for (int p = 0; p < ui::kModuleParameterCount; ++p) {
        ASSERT_EQ(std::to_string(value_of(p)), cell_of(p).toStdString()) << "parameter " << p;
    }
    EXPECT_TRUE(dialog_->Button1->isEnabled());
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(UnitParamsTest, StopEndsTheReadAfterTheCurrentParameter) {
    // Cells of an earlier read are emptied when a read starts.
    dialog_->sg1->set_cell(16, 16, "77");
    for (int p = 0; p <= 5; ++p) {
        fake_.expect(read_request(p)).reply(read_answer(p, value_of(p)));
    }
    bool button_was_disabled = false;
    when_cell_written(5, [this, &button_was_disabled] {
        button_was_disabled = !dialog_->Button1->isEnabled();
        // The click arrives while the read runs; the read sees it between requests.
        QMetaObject::invokeMethod(dialog_->Button2, &QPushButton::click, Qt::QueuedConnection);
    });
    dialog_->Button1->click();
    fake_.verify();  // no request after parameter 5
    EXPECT_TRUE(button_was_disabled);
    EXPECT_TRUE(dialog_->Button1->isEnabled());
    EXPECT_TRUE(dialog_->stop_requested());
    for (int p = 0; p < ui::kModuleParameterCount; ++p) {
        ASSERT_EQ(p <= 5 ? std::to_string(value_of(p)) : std::string(), cell_of(p).toStdString())
            << "parameter " << p;
    }
    EXPECT_TRUE(prompts_.records().empty());

    // A new read clears the stop flag and starts again from parameter 0.
    for (int p = 0; p <= 1; ++p) {
        fake_.expect(read_request(p)).reply(read_answer(p, 200 + p));
    }
    when_cell_written(1, [this] { dialog_->reject(); });  // closing the window ends it too
    dialog_->Button1->click();
    fake_.verify();
    EXPECT_EQ("201", cell_of(1).toStdString());
    EXPECT_EQ("", cell_of(2).toStdString());
}

TEST_F(UnitParamsTest, AFailedParameterEndsTheReadWithOneBox) {
    for (int p = 0; p < 40; ++p) {
        fake_.expect(read_request(p)).reply(read_answer(p, value_of(p)));
    }
    // Byte 6 other than 0: not a valid answer.
    fake_.expect(read_request(40)).reply(read_answer(40, 9, 0x01));
    dialog_->Button1->click();
    fake_.verify();

    EXPECT_EQ("Err", dialog_->sg1->cell(9, 3).toStdString());
    EXPECT_EQ(std::to_string(value_of(39)), cell_of(39).toStdString());
    EXPECT_EQ("", cell_of(41).toStdString());
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ("Error", prompts_.records()[0].caption.toStdString());
    EXPECT_EQ("Произошла ошибка при опросе параметров модуля. Операция прервана.",
              prompts_.records()[0].text.toStdString());
    EXPECT_TRUE(dialog_->Button1->isEnabled());
    EXPECT_TRUE(dialog_->stop_requested());
}

TEST_F(UnitParamsTest, ReadOneWritesTheValueOrErrWithoutABox) {
    dialog_->ud2->setValue(36);
    fake_.expect(read_request(36)).reply(read_answer(36, 255));
    dialog_->Button3->click();
    EXPECT_EQ("255", dialog_->sg1->cell(5, 3).toStdString());

    // The reply repeats another parameter's number: not an answer to this request.
    fake_.expect(read_request(36)).reply(read_answer(37, 1));
    dialog_->Button3->click();
    EXPECT_EQ("Err", dialog_->sg1->cell(5, 3).toStdString());
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(UnitParamsTest, SetReadsBackOnlyWhenDone) {
    // The read group's number is read back, not the set group's.
    dialog_->ud2->setValue(7);
    dialog_->ud3->setValue(36);
    dialog_->ud4->setValue(200);
    const Bytes set = with_checksum(Bytes{0x0A, 0x02, kModule, 0x00, 36, 200, 0x00});
    fake_.expect(set).echo();
    fake_.expect(read_request(7)).reply(read_answer(7, 99));
    dialog_->Button4->click();
    fake_.verify();
    EXPECT_EQ("99", cell_of(7).toStdString());
    EXPECT_TRUE(prompts_.records().empty());

    // Status 0xF8: nothing read back, nothing shown.
    fake_.expect(set).reply(with_checksum(Bytes{0x0A, 0x02, kModule, 0x00, 36, 200, 0xF8}));
    dialog_->Button4->click();
    fake_.verify();
    EXPECT_TRUE(prompts_.records().empty());

    // A reply that does not repeat the request.
    fake_.expect(set).reply(with_checksum(Bytes{0x0A, 0x02, kModule, 0x00, 35, 200, 0x00}));
    dialog_->Button4->click();
    fake_.verify();
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ("Ошибка", prompts_.records()[0].caption.toStdString());
    EXPECT_EQ("Ошибка установки параметра.", prompts_.records()[0].text.toStdString());
}

TEST(UnitParams, SetOutcomes) {
    EXPECT_EQ(ui::SetParameterOutcome::read_back, ui::set_parameter_outcome(0));
    EXPECT_EQ(ui::SetParameterOutcome::nothing, ui::set_parameter_outcome(-8));
    for (int result : {-15, -1, 1, -16, 0x7F}) {
        SCOPED_TRACE(result);
        EXPECT_EQ(ui::SetParameterOutcome::report_error, ui::set_parameter_outcome(result));
    }
}

}  // namespace
}  // namespace vx::test
