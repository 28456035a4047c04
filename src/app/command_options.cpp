#include "app/command_options.h"

#include "codecs/image_file_format.h"
#include "print/page_layout.h"

#include <QCommandLineParser>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace quillet {
namespace {

struct UsageError {
    std::string message;
};

int ParseInt(const std::string& option, const std::string& value)
{
    int result = 0;
    const char* end = value.data() + value.size();
    auto [ptr, ec] = std::from_chars(value.data(), end, result);
    if (value.empty() || ec != std::errc() || ptr != end)
        throw UsageError{option + " 需要一个整数 / expects a whole number: " + value};
    return result;
}

// Millimetres with at most one decimal, as tenths of a millimetre.
int ParseMillimetres(const std::string& option, const std::string& value)
{
    double mm = 0;
    const char* end = value.data() + value.size();
    auto [ptr, ec] = std::from_chars(value.data(), end, mm);
    if (value.empty() || ec != std::errc() || ptr != end || !std::isfinite(mm)
        || std::fabs(mm) > 100000)
        throw UsageError{option + " 需要毫米数 / expects millimetres: " + value};
    return static_cast<int>(std::lround(mm * 10));
}

std::vector<std::string> SplitAt(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t at = text.find(separator, start);
        parts.push_back(
            text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

// Rows and columns per page: a page without a row or a column holds no
// picture, and more than 1000 cannot be meant.
int ParseGridCount(const std::string& option, const std::string& value)
{
    const int count = ParseInt(option, value);
    if (count < 1)
        throw UsageError{option + " 至少 1 / at least 1: " + value};
    if (count > 1000)
        throw UsageError{option + " 最多 1000 / at most 1000: " + value};
    return count;
}

// One side of the page leaves each of count cells at least 0.1 mm, or the
// option that took the room is named.  In 64 bits: no value overflows.
void CheckRoomAcross(long long paper, int marginA, int marginB, int count, int gap,
                     const char* countOption, const char* gapOption)
{
    const long long printable = paper - marginA - marginB;
    if (printable < 1)
        throw UsageError{"--margins 超出纸张 / the margins leave no room on the paper"};
    if (printable - static_cast<long long>(count - 1) * gap >= count)
        return;
    const std::string option = gap > 0 ? gapOption : countOption;
    throw UsageError{option + " 太大，纸上放不下图片 / leaves no room for a picture on the paper"};
}

// Options that each make sense alone may together leave no picture room.
void CheckRoomForPictures(const PrintSettings& s)
{
    const bool landscape = s.orientation == 1;
    const long long width = landscape ? s.paperHeight : s.paperWidth;
    const long long height = landscape ? s.paperWidth : s.paperHeight;
    CheckRoomAcross(width, s.marginLeft, s.marginRight, s.columns, s.columnGap, "--columns",
                    "--column-gap");
    CheckRoomAcross(height, s.marginTop, s.marginBottom, s.rows, s.rowGap, "--rows", "--row-gap");
}

FontSpec ParseFont(const std::string& option, const std::string& value, FontSpec font)
{
    // "宋体 9": the last word is the size in points, the rest the face name.
    std::size_t space = value.find_last_of(' ');
    if (space == std::string::npos || space == 0)
        throw UsageError{option
                         + " 需要“字体名 字号” / expects \"FACE SIZE\", e.g. \"宋体 9\": " + value};
    int size = ParseInt(option, value.substr(space + 1));
    if (size < 1 || size > 500)
        throw UsageError{option + " 字号超出范围 / size out of range: " + value};
    font.name = value.substr(0, value.find_last_not_of(' ', space) + 1);
    font.size = size;
    return font;
}

int ParseAlign(const std::string& option, const std::string& value)
{
    if (value == "left")
        return 0;
    if (value == "center" || value == "centre")
        return 1;
    if (value == "right")
        return 2;
    throw UsageError{option
                     + " 只能是 left、center 或 right / must be left, center or right: " + value};
}

int ParseFormat(const std::string& value)
{
    static const std::map<std::string, int> formats{
        {"bmp", kImageFormatBmp}, {"jpg", kImageFormatJpeg}, {"jpeg", kImageFormatJpeg},
        {"gif", kImageFormatGif}, {"tif", kImageFormatTiff}, {"tiff", kImageFormatTiff},
        {"png", kImageFormatPng}};
    auto it = formats.find(value);
    if (it == formats.end())
        throw UsageError{
            "--format 只能是 bmp、jpg、gif、tiff 或 png / must be bmp, jpg, gif, tiff or png: "
            + value};
    return it->second;
}

// Arguments pass through QString as Latin-1, one character per byte, so that
// file names and texts that are not UTF-8 come back with their own bytes.
QString FromBytes(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The argument that spells the option: "--name", "--name=...", or a short
// option among compacted ones ("-xh").
std::string ArgumentNaming(const std::vector<std::string>& args, const QString& name)
{
    const std::string option = ToBytes(name);
    for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        if (arg == "--" + option || arg.starts_with("--" + option + "="))
            return arg;
        if (!arg.starts_with("--") && arg.starts_with('-') && option.size() == 1
            && arg.find(option, 1) != std::string::npos)
            return arg;
    }
    return "--" + option;
}

void ParseInto(CommandOptions& o, const std::vector<std::string>& args)
{
    PrintSettings& s = o.settings;
    using Handler = std::function<void(const std::string&)>;
    const std::map<QString, Handler> withValue{
        {"out", [&](const std::string& v) { o.outDir = v; }},
        {"printer", [&](const std::string& v) { o.printer = v; }},
        {"pdf", [&](const std::string& v) { o.pdfFile = v; }},
        {"table", [&](const std::string& v) { o.tableFile = v; }},
        {"paper",
         [&](const std::string& v) {
             std::vector<std::string> wh = SplitAt(v, 'x');
             if (wh.size() != 2)
                 throw UsageError{"--paper 需要“宽x高”毫米 / expects WIDTHxHEIGHT in mm: " + v};
             s.paperWidth = ParseMillimetres("--paper", wh[0]);
             s.paperHeight = ParseMillimetres("--paper", wh[1]);
             if (s.paperWidth <= 0 || s.paperHeight <= 0)
                 throw UsageError{"--paper 必须大于零 / must be positive: " + v};
         }},
        {"margins",
         [&](const std::string& v) {
             std::vector<std::string> m = SplitAt(v, ',');
             if (m.size() != 4)
                 throw UsageError{
                     "--margins 需要“上,下,左,右”毫米 / expects TOP,BOTTOM,LEFT,RIGHT in mm: " + v};
             s.marginTop = ParseMillimetres("--margins", m[0]);
             s.marginBottom = ParseMillimetres("--margins", m[1]);
             s.marginLeft = ParseMillimetres("--margins", m[2]);
             s.marginRight = ParseMillimetres("--margins", m[3]);
         }},
        {"header-offset",
         [&](const std::string& v) { s.headerOffset = ParseMillimetres("--header-offset", v); }},
        {"footer-offset",
         [&](const std::string& v) { s.footerOffset = ParseMillimetres("--footer-offset", v); }},
        {"rows", [&](const std::string& v) { s.rows = ParseGridCount("--rows", v); }},
        {"columns", [&](const std::string& v) { s.columns = ParseGridCount("--columns", v); }},
        {"row-gap", [&](const std::string& v) { s.rowGap = ParseInt("--row-gap", v); }},
        {"column-gap", [&](const std::string& v) { s.columnGap = ParseInt("--column-gap", v); }},
        {"caption-gap", [&](const std::string& v) { s.captionGap = ParseInt("--caption-gap", v); }},
        {"fit",
         [&](const std::string& v) {
             s.photoFitMode = ParseInt("--fit", v);
             if (s.photoFitMode < 0 || s.photoFitMode > kLastFitMode)
                 throw UsageError{"--fit 只能是 0 到 5 / must be 0 to 5: " + v};
         }},
        {"optimize",
         [&](const std::string& v) {
             s.imageOptimization = ParseInt("--optimize", v);
             if (s.imageOptimization < 0 || s.imageOptimization > 5)
                 throw UsageError{"--optimize 只能是 0 到 5 / must be 0 to 5: " + v};
         }},
        {"format", [&](const std::string& v) { s.imageFormat = ParseFormat(v); }},
        {"header", [&](const std::string& v) { o.headerText = v; }},
        {"footer", [&](const std::string& v) { o.footerText = v; }},
        {"header-align",
         [&](const std::string& v) { s.headerAlign = ParseAlign("--header-align", v); }},
        {"footer-align",
         [&](const std::string& v) { s.footerAlign = ParseAlign("--footer-align", v); }},
        {"caption-font",
         [&](const std::string& v) {
             s.captionFont = ParseFont("--caption-font", v, s.captionFont);
         }},
        {"header-font",
         [&](const std::string& v) { s.headerFont = ParseFont("--header-font", v, s.headerFont); }},
        {"footer-font",
         [&](const std::string& v) { s.footerFont = ParseFont("--footer-font", v, s.footerFont); }},
        {"copies",
         [&](const std::string& v) {
             s.copies = ParseInt("--copies", v);
             if (s.copies < 1 || s.copies > 999)
                 throw UsageError{"--copies 只能是 1 到 999 / must be 1 to 999: " + v};
         }},
    };
    const std::map<QString, std::function<void()>> flags{
        {"landscape", [&] { s.orientation = 1; }},
        {"recursive", [&] { o.recursive = true; }},
        {"no-captions", [&] { o.captions = false; }},
        {"by-category", [&] { o.byCategory = true; }},
        {"print0", [&] { o.pathEnd = '\0'; }},
        {"no-wait", [&] { o.waitForPrinter = false; }},
        {"help", [&] { o.kind = CommandKind::Help; }},
        {"h", [&] { o.kind = CommandKind::Help; }},
    };

    QCommandLineParser parser;
    for (const auto& entry : withValue)
        parser.addOption(QCommandLineOption(entry.first, QString(), QStringLiteral("value")));
    for (const auto& entry : flags)
        parser.addOption(QCommandLineOption(entry.first));
    QStringList arguments;
    for (const std::string& arg : args)
        arguments << FromBytes(arg);

    if (!parser.parse(arguments)) {
        // An unknown option, a flag given a value ("--landscape=1"), or a
        // last option without its value.
        const auto flagWithValue = [&](const std::string& arg) {
            const std::size_t equals = arg.find('=');
            return arg.starts_with("--") && equals != std::string::npos
                   && flags.contains(FromBytes(arg.substr(2, equals - 2)));
        };
        const QStringList unknown = parser.unknownOptionNames();
        const auto fault =
            unknown.isEmpty()
                ? std::find_if(args.begin() + 1, args.end(), flagWithValue)
                : std::find(args.begin() + 1, args.end(), ArgumentNaming(args, unknown.front()));
        // Help asked for before the fault still wins, as it was read first.
        if (std::any_of(args.begin() + 1, fault,
                        [](const std::string& arg) { return arg == "--help" || arg == "-h"; })) {
            o.kind = CommandKind::Help;
            return;
        }
        if (fault != args.end())
            throw UsageError{"未知的选项 / unknown option: " + *fault};
        throw UsageError{args.back() + " 缺少参数 / needs a value"};
    }

    // Options take effect in the order they were given, so the first bad
    // value is the one reported, and the last of a repeated option counts.
    std::map<QString, qsizetype> taken;
    for (const QString& name : parser.optionNames()) {
        if (auto f = flags.find(name); f != flags.end()) {
            f->second();
            if (o.kind == CommandKind::Help)
                return;
            continue;
        }
        withValue.at(name)(ToBytes(parser.values(name).at(taken[name]++)));
    }
    for (const QString& input : parser.positionalArguments())
        o.inputs.push_back(ToBytes(input));

    if (o.kind == CommandKind::Render) {
        if (o.outDir.empty())
            throw UsageError{"render 需要 --out 文件夹 / render needs --out DIR"};
        if (!o.printer.empty() || !o.pdfFile.empty())
            throw UsageError{
                "render 不接受 --printer 或 --pdf / render takes no --printer or --pdf"};
    } else {
        if (o.printer.empty() == o.pdfFile.empty())
            throw UsageError{"print 需要 --printer 队列 或 --pdf 文件（二选一）/ print needs "
                             "exactly one of --printer QUEUE or --pdf FILE"};
        if (!o.outDir.empty())
            throw UsageError{"print 不接受 --out / print takes no --out"};
    }
    CheckRoomForPictures(s);
    if (o.inputs.empty() && o.tableFile.empty())
        throw UsageError{"没有给出图片或文件夹 / no picture, folder or --table given"};
    if (!o.inputs.empty() && !o.tableFile.empty())
        throw UsageError{"--table 不能和图片或文件夹一起使用 / --table cannot be combined with "
                         "pictures or folders"};
}

} // namespace

bool IsHeadlessCommand(const std::vector<std::string>& args)
{
    return !args.empty()
           && (args[0] == "render" || args[0] == "print" || args[0] == "--help" || args[0] == "-h"
               || args[0] == "help");
}

ParsedCommand ParseCommandLine(const std::vector<std::string>& args)
{
    ParsedCommand parsed;
    CommandOptions options;
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        parsed.options = options; // Help
        return parsed;
    }
    if (args[0] == "render")
        options.kind = CommandKind::Render;
    else if (args[0] == "print")
        options.kind = CommandKind::Print;
    else {
        parsed.error = "未知的命令 / unknown command: " + args[0];
        return parsed;
    }
    try {
        ParseInto(options, args);
        parsed.options = std::move(options);
    } catch (const UsageError& e) {
        parsed.error = e.message;
    }
    return parsed;
}

std::string CommandHelpText()
{
    return R"(用法 / Usage:
  quillet                                       打开窗口 / open the window
  quillet render --out 文件夹 [选项] 输入...      每页写成一个图片文件 / write one image file per page
  quillet print (--printer 队列 | --pdf 文件) [选项] 输入...
                                                打印到 CUPS 打印机或 PDF 文件 / print to a CUPS queue or a PDF file

输入 / INPUT: 图片文件或文件夹 (JPG、JPEG、BMP、GIF、PNG、TIF、TIFF、WEBP、HEIC、HEIF、AVIF)
                         a picture file or a folder
  --recursive            搜索子文件夹 / include sub-folders
  --table 文件            读取以 TAB 分隔、带标题行的表格（列标题“图片名全称”“图片类别”“图片说明”，
                         否则第 2、3、4 列）/ read a TAB-separated table with a title line instead

选项 / OPTIONS (默认值即设置窗口第一次“准备打印”的值 / defaults are those of a first OK in the settings window):
  --paper 210x297        纸张宽x高，毫米 / paper width x height in mm
                         页面文件最多1亿像素（A0）、每边最多32767像素，一像素0.1毫米
                         / page files: at most 100 million pixels (A0) and 32767 a side,
                         one pixel per 0.1 mm
  --landscape            横向 / landscape
  --margins 20,18,5,15   上,下,左,右 页边距，毫米 / top,bottom,left,right margins in mm
  --header-offset 11     页眉距顶端，毫米 / header distance from the top edge, mm
  --footer-offset 14     页脚距底端，毫米 / footer distance from the bottom edge, mm
  --rows 5 --columns 5   每页行数、列数 / rows and columns per page
  --row-gap 10 --column-gap 10
                         行间距、列间距，0.1 毫米 / gaps between rows and columns, 0.1 mm
  --caption-gap 2        文字距图片，0.1 毫米 / caption distance from the picture, 0.1 mm
  --fit 0                0 按比例缩放且居中, 1 布满打印区域, 2 按原始值打印且居中,
                         3 按比例缩放且不居中, 4 按原始值打印且不居中,
                         5 按比例裁剪并布满 / how a photo fits its cell
  --optimize 3           0 图片不优化, 1..5 优化到 50K..250K / shrink large photos on load
  --format jpg           bmp, jpg, gif, tiff, png (render)
  --header 文字 --footer 文字
                         页眉、页脚；&p 当前页, &a 总页数, &f 分类, &y 年 &m 月 &d 日 &h 时 &s 秒
                         / header and footer; &p page, &a page count, &f category,
                         &y year, &m month, &d day, &h hour, &s second
  --header-align center --footer-align center
                         left, center, right
  --caption-font "宋体 9" --header-font "宋体 9" --footer-font "宋体 9"
                         字体名和字号 / face and size in points
  --no-captions          不打印说明文字 / no captions
  --copies 1             份数 (print) / copies
  --by-category          每个分类一个作业，&f 换成分类 / one job per category, &f replaced by it
  --print0               输出的路径以零字节结尾，不用换行 / end each path written with a NUL,
                         not a newline (as find -print0), for names that hold a newline
  --no-wait              交给 CUPS 就结束，不等打印机 (print --printer)。默认等到 CUPS 打完、
                         取消或中止作业，或作业停在队列中（打印机停用或作业被挂起），最多 10 分钟
                         / return once CUPS has the job.  By default each job is followed until
                         CUPS has printed, canceled or aborted it, or it waits in the queue
                         (printer stopped, job held), for at most 10 minutes

每写出一个文件就输出它的路径，一行一个。/ Prints the path of every page file or PDF written, one a line.
退出码 / Exit status: 0 全部成功 / all written, 1 有输出失败（含 CUPS 取消或中止的作业）
/ some output failed (a job CUPS canceled or aborted too), 2 用法错误 / bad usage.
)";
}

} // namespace quillet
