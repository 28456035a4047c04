#include "support/pdf_tools.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace quillet::testing {
namespace {

std::optional<QByteArray> RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

} // namespace

std::optional<PdfInfo> ReadPdfInfo(const std::string& path)
{
    const auto output = RunTool("pdfinfo", {QString::fromStdString(path)});
    if (!output)
        return std::nullopt;
    PdfInfo info;
    static const QRegularExpression size(R"(^Page size:\s+([\d.]+) x ([\d.]+) pts)");
    for (const QString& line : QString::fromUtf8(*output).split('\n')) {
        if (line.startsWith("Pages:"))
            info.pages = line.mid(6).trimmed().toInt();
        else if (line.startsWith("Title:"))
            info.title = line.mid(6).trimmed().toStdString();
        const QRegularExpressionMatch match = size.match(line);
        if (match.hasMatch()) {
            info.pageWidth = match.captured(1).toDouble();
            info.pageHeight = match.captured(2).toDouble();
        }
    }
    return info;
}

std::vector<PdfWord> ReadPdfWords(const std::string& path)
{
    std::vector<PdfWord> words;
    const auto output = RunTool("pdftotext", {"-bbox", QString::fromStdString(path), "-"});
    if (!output)
        return words;
    QXmlStreamReader reader(*output);
    int page = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("page")) {
            ++page;
        } else if (reader.name() == QLatin1String("word")) {
            const QXmlStreamAttributes attributes = reader.attributes();
            PdfWord word;
            word.page = page;
            word.xMin = attributes.value("xMin").toDouble();
            word.yMin = attributes.value("yMin").toDouble();
            word.xMax = attributes.value("xMax").toDouble();
            word.yMax = attributes.value("yMax").toDouble();
            word.text = reader.readElementText().toStdString();
            words.push_back(word);
        }
    }
    return words;
}

std::vector<PdfWord> FindPdfWords(const std::vector<PdfWord>& words, int page,
                                  const std::string& text)
{
    std::vector<PdfWord> found;
    for (const PdfWord& word : words) {
        if (word.page == page && word.text == text)
            found.push_back(word);
    }
    return found;
}

std::vector<PdfImage> ListPdfImages(const std::string& path)
{
    std::vector<PdfImage> images;
    const auto output = RunTool("pdfimages", {"-list", QString::fromStdString(path)});
    if (!output)
        return images;
    const QStringList lines = QString::fromUtf8(*output).split('\n');
    // Two heading lines, then: page num type width height color comp bpc enc
    // interp object ID x-ppi y-ppi size ratio.
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(' ', Qt::SkipEmptyParts);
        if (fields.size() < 14)
            continue;
        // Soft masks belong to the image before them.
        if (fields[2] == QLatin1String("smask"))
            continue;
        PdfImage image;
        image.page = fields[0].toInt();
        image.width = fields[3].toInt();
        image.height = fields[4].toInt();
        image.xPpi = fields[12].toDouble();
        image.yPpi = fields[13].toDouble();
        images.push_back(image);
    }
    return images;
}

QImage RasterisePdfPage(const std::string& path, int page, int dpi)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QString stem = dir.filePath("page");
    const QString number = QString::number(page);
    if (!RunTool("pdftoppm", {"-r", QString::number(dpi), "-f", number, "-l", number, "-png",
                              "-singlefile", QString::fromStdString(path), stem}))
        return {};
    return QImage(stem + ".png");
}

} // namespace quillet::testing
