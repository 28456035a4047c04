#include "app/live_preview.h"

#include "app/globals.h"
#include "app/progress_window.h"
#include "runtime/convert.h"
#include "runtime/window.h"
#include "ui_settings_window.h"

#include <QApplication>
#include <QPointer>

namespace quillet {
namespace {

double NumberOf(const QLineEdit* box)
{
    return ToNumber(box->text().toStdString());
}

int WholeMillimetres(const QLineEdit* box)
{
    return TruncateToInt(NumberOf(box));
}

// The gap boxes hold tenths of a millimetre: 10 is 1 mm, 2 is nothing.
int GapMillimetres(const QLineEdit* box)
{
    return TruncateToInt(NumberOf(box) / 10);
}

} // namespace

PreviewPageInput CollectPreviewInput(const Ui::SettingsWindow& ui)
{
    const Globals& g = App();
    PreviewPageInput input;
    input.landscape = ui.单选框_横向打印->isChecked() ? 1 : 0;
    input.pageWidth = WholeMillimetres(ui.编辑框_宽度);
    input.pageHeight = WholeMillimetres(ui.编辑框_高度);
    input.fitMode = ui.组合框_照片打印方式->currentIndex();
    input.rows = WholeMillimetres(ui.编辑框_行数);
    input.columns = WholeMillimetres(ui.编辑框_列数);
    input.rowGap = GapMillimetres(ui.编辑框_行间距);
    input.columnGap = GapMillimetres(ui.编辑框_列间距);
    input.captionGap = GapMillimetres(ui.编辑框_文字距图片);
    input.captionFont = g.printSettings.captionFont;
    input.marginTop = WholeMillimetres(ui.编辑框_上边距);
    input.marginBottom = WholeMillimetres(ui.编辑框_下边距);
    input.marginLeft = WholeMillimetres(ui.编辑框_左边距);
    input.marginRight = WholeMillimetres(ui.编辑框_右边距);
    input.headerOffset = WholeMillimetres(ui.编辑框_页眉距顶端);
    input.footerOffset = WholeMillimetres(ui.编辑框_页脚距底端);
    input.paths = g.jobPicturePaths;
    input.aspectRatios = g.jobAspectRatios;
    input.captions = g.jobCaptions;
    input.headerTemplate = g.jobHeaderText;
    input.footerTemplate = g.jobFooterText;
    return input;
}

PreviewLines PreviewLinesFromRecord()
{
    const PrintSettings& record = App().printSettings;
    return PreviewLines{record.headerFont, record.footerFont, record.headerAlign, record.footerAlign};
}

QImage DrawPreviewPage(const PreviewPageInput& input, const PreviewLines& lines)
{
    // Shown without taking the activation: the user types on in the
    // settings window while the miniature is drawn.
    QPointer<QWidget> active = QApplication::activeWindow();
    ProgressWindow& window = LoadProgressWindow();
    window.ClearCancelRequest();
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.show();

    // The window is looked up afresh each time: the events that run between
    // cells must not leave a dangling reference behind.
    PreviewProgress progress;
    progress.started = [](int cellCount) {
        if (ProgressWindow* window = LoadedProgressWindow())
            window->SetProgressRange(0, cellCount);
    };
    progress.advanced = [](int cellsDone) {
        ProcessPendingMessages();
        if (ProgressWindow* window = LoadedProgressWindow())
            window->SetProgress(cellsDone);
    };
    progress.cancelRequested = [] {
        const ProgressWindow* window = LoadedProgressWindow();
        return window && window->CancelRequested();
    };

    QImage page = RenderPreviewPage(input, lines, progress);

    ProcessPendingMessages();
    if (ProgressWindow* window = LoadedProgressWindow()) {
        window->SetProgress(1);
        window->hide();
        window->ClearCancelRequest();
    }
    CloseProgressWindow();
    // Where the platform activated the progress window anyway, the window
    // the user worked in gets the activation back with its focus, as it
    // would from a window manager.
    if (active && QApplication::activeWindow() != active)
        active->activateWindow();
    ProcessPendingMessages();
    return page;
}

} // namespace quillet
