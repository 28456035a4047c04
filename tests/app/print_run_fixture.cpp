#include "print_run_fixture.h"

#include "app/collection_wiring.h"
#include "app/globals.h"
#include "app/print_job.h"
#include "app/progress_window.h"
#include "app/settings_window.h"
#include "app/startup.h"
#include "collect/report_list.h"
#include "printing/printer_queries.h"
#include "support/print_test_helpers.h"
#include "ui_main_window.h"
#include "widgets/window.h"

#include <utility>

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

namespace quillet::testing {

void StoreAlbumSettings(PrintSettings& s, const std::string& printerName)
{
    UseAlbumTestSettings(s);
    s.printerName = printerName;
    s.headerOffset = 80;
    s.footerOffset = 300;
    s.rows = 2;
    s.columns = 2;
    s.rowGap = 20;
    s.columnGap = 20;
    s.captionGap = 0;
    s.photoFitMode = 1;
    s.headerAlign = 0;
    s.footerAlign = 0;
    s.printToImage = 0;
    s.imageFormat = 2;
    s.imageOptimization = 0;
}

std::string WriteTestJpeg(const QString& path, Qt::GlobalColor colour)
{
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path, "JPEG", 90));
    return path.toStdString();
}

PrintRunFixture::PrintRunFixture(bool withCollection)
{
    if (withCollection) {
        PrepareProgramState();
        FolderTreeBuilder() = AttachCollection;
        window_ = LoadMainWindow();
    } else {
        ResetGlobals();
        App().SearchFinished = true;
        window_ = std::make_unique<MainWindow>();
    }
    App().DocumentsPath = dir_.path().toStdString() + "/";
    storeOnOk = [](PrintSettings& s) { StoreAlbumSettings(s, kPdfFilePrinterItem); };
    realSettingsWindow_ = std::exchange(SettingsWindowForJob(), [this] {
        const Globals& app = App();
        openings.push_back(
            {app.jobPicturePaths, app.jobCaptions, app.jobHeaderText, app.jobFooterText});
        PrintSettings& s = App().printSettings;
        // Filling the window unconfirms; only OK confirms again.
        s.confirmed = 0;
        SettingsAnswer answer = SettingsAnswer::Ok;
        if (!settingsAnswers.empty()) {
            answer = settingsAnswers.front();
            settingsAnswers.pop_front();
        }
        if (answer == SettingsAnswer::Ok) {
            storeOnOk(s);
            s.confirmed = 1;
        }
    });
    scope_ = std::make_unique<ScopedDialogProvider>(dialogs);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
}

PrintRunFixture::~PrintRunFixture()
{
    window_.reset();
    scope_.reset();
    SettingsWindowForJob() = realSettingsWindow_;
    FolderTreeBuilder() = nullptr;
    RegisterExitProcedure(nullptr);
    CloseProgressWindow();
    ResetGlobals();
}

void PrintRunFixture::FillList(const std::vector<std::string>& titles,
                               const std::vector<std::vector<std::string>>& rows)
{
    ReportList list(window_->ui().超级列表框_显示);
    list.DeleteAllRows();
    while (list.ColumnCount() > 0)
        list.DeleteColumn(0);
    for (const std::string& title : titles)
        list.AppendColumn(title);
    list.AppendRows(rows);
}

void PrintRunFixture::FillPictures(
    const std::vector<std::pair<std::string, std::string>>& pathAndCategory)
{
    std::vector<std::vector<std::string>> rows;
    for (const auto& [path, category] : pathAndCategory) {
        const std::string number = std::to_string(rows.size() + 1);
        rows.push_back({number, path, category, "Photo" + number});
    }
    FillList({"序号", "图片名全称", "图片类别", "图片说明"}, rows);
}

void PrintRunFixture::SetTemplates(const std::string& header, const std::string& footer)
{
    window_->ui().编辑框_页眉->setText(QString::fromStdString(header));
    window_->ui().编辑框_页脚->setText(QString::fromStdString(footer));
}

void PrintRunFixture::SetByCategory(bool byCategory)
{
    window_->ui().选择框_按文件夹分类->setChecked(byCategory);
}

void PrintRunFixture::ClickPrint()
{
    QTest::mouseClick(window_->ui().按钮_文件夹准备打印, Qt::LeftButton);
}

void PrintRunFixture::ClickPreview()
{
    QTest::mouseClick(window_->ui().按钮_打印预览, Qt::LeftButton);
}

void PrintRunFixture::Search(const std::string& folder)
{
    App().SelectedFolderPath = folder;
    window_->ui().选择框_包括文件夹->setChecked(true);
    QTest::mouseClick(window_->ui().按钮_文件夹搜索, Qt::LeftButton);
}

void PrintRunFixture::AnswerColumnsAsProposed()
{
    for (int i = 0; i < 3; ++i)
        dialogs.AnswerInputBox(std::nullopt);
    dialogs.AnswerMessageBox(MessageBoxAnswer::Ok);
}

std::vector<DialogRequest> PrintRunFixture::Asked(DialogKind kind) const
{
    std::vector<DialogRequest> asked;
    for (const DialogRequest& request : dialogs.Requests()) {
        if (request.kind == kind)
            asked.push_back(request);
    }
    return asked;
}

} // namespace quillet::testing
