#include "runtime/printing_status_box.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillet {
namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

PrintingStatusBox::PrintingStatusBox(std::string_view documentName, std::string_view printerName)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("正在打印"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("文档：") + FromUtf8(documentName), this));
    layout->addWidget(new QLabel(QStringLiteral("打印机：") + FromUtf8(printerName), this));
    page_ = new QLabel(this);
    layout->addWidget(page_);
    SetPageNumber(1);
}

void PrintingStatusBox::SetPageNumber(int page)
{
    page_->setText(QStringLiteral("正在打印第 %1 页").arg(page));
}

} // namespace quillet
