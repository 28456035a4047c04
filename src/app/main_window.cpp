#include "app/main_window.h"

#include "app/clipboard_page.h"
#include "app/open_paths.h"
#include "app/print_drivers.h"
#include "ui_main_window.h"
#include "widgets/designed_group_box_style.h"
#include "widgets/designed_look.h"
#include "widgets/designed_tab_style.h"
#include "widgets/window.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace quillet {

QString HeaderEditHelpText()
{
    return QStringLiteral("显示在每个页眉上，可用&a表示总页数， &p表示当前页， &f表示分类。"
                          "字体及对齐方式从‘打印设置’中设置。");
}

QString FooterEditHelpText()
{
    return QStringLiteral("显示在每个页脚上，可用&a表示总页数， &p表示当前页， &f表示分类。"
                          "字体及对齐方式从‘打印设置’中设置。");
}

QString GreetingText()
{
    return QStringLiteral(
        "欢迎使用 Quillet 1.3！请在左边选择文件夹搜索照片，或从剪贴板导入照片表格。");
}

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::MainWindow>())
{
    ui_->setupUi(this);
    // Created after the form, so that this window deletes the style only
    // after the tab control that uses it.
    UseDesignedPageCoordinates(*ui_->选择夹1, *this);
    UseDesignedGroupBoxes(*this);
    UseDesignedLook(*this);

    // uic reads the form's CR LF line breaks as LF; the labels' designed
    // texts break their lines with CR LF, as every multi-line text of the
    // program does.
    for (QLabel* label : {ui_->标签_剪贴板, ui_->标签_页眉页脚})
        label->setText(label->text().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));

    statusText_ = new QLabel(ui_->状态条1);
    statusText_->setObjectName(QStringLiteral("状态条1_文本"));
    statusText_->setTextFormat(Qt::PlainText);
    // A label asks for the width of its whole text; a deep path shown while
    // searching would push the window wider than designed.
    statusText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui_->状态条1->addWidget(statusText_, 1);

    ui_->编辑框_页眉->installEventFilter(this);
    ui_->编辑框_页脚->installEventFilter(this);

    connect(ui_->按钮_结束程序, &QPushButton::clicked, this, [] { EndProgram(0); });
    AttachClipboardPage(*this);
    AttachPrintButtons(*this);

    // The form's geometry is the outer size.  Until the window system tells
    // the frame's size (after the window is shown, if it has a frame at all)
    // the client area takes the whole of it; outerSize_ shrinks it then.
    resize(kOuterWidth, kOuterHeight);
    move(kLeft, kTop);

    SetStatusText(GreetingText());
    setAcceptDrops(true);
}

MainWindow::~MainWindow() = default;

Ui::MainWindow& MainWindow::ui()
{
    return *ui_;
}

void MainWindow::SetStatusText(const QString& text)
{
    statusText_->setText(text);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Also in the middle of a search or a print job, which polls the event
    // queue: nothing is asked and the running loop never gets control back.
    event->ignore();
    EndProgram(0);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == ui_->编辑框_页眉)
            SetStatusText(HeaderEditHelpText());
        else if (watched == ui_->编辑框_页脚)
            SetStatusText(FooterEditHelpText());
    }
    return QMainWindow::eventFilter(watched, event);
}

namespace {

// The local files a drag carries, by the bytes of their names; empty when
// it carries anything else.
std::vector<std::string> DroppedPaths(const QMimeData* data)
{
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return paths;
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> paths = DroppedPaths(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    OpenPathsInWindow(*this, paths);
}

bool MainWindow::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    outerSize_.Update(*this, *event);
    return handled;
}

} // namespace quillet
