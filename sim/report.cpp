// The page of a session: HTML with the animation and screenshots as base64 data URIs.
#include "report.h"

#include "text.h"
#include "wholefile.h"

#include <fstream>

std::string base64(const std::vector<unsigned char> &bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        uint32_t n = (uint32_t)bytes[i] << 16 | (uint32_t)bytes[i + 1] << 8 | bytes[i + 2];
        out += alphabet[n >> 18];
        out += alphabet[(n >> 12) & 63];
        out += alphabet[(n >> 6) & 63];
        out += alphabet[n & 63];
    }
    if (i + 1 == bytes.size()) {
        uint32_t n = (uint32_t)bytes[i] << 16;
        out += alphabet[n >> 18];
        out += alphabet[(n >> 12) & 63];
        out += "==";
    } else if (i + 2 == bytes.size()) {
        uint32_t n = (uint32_t)bytes[i] << 16 | (uint32_t)bytes[i + 1] << 8;
        out += alphabet[n >> 18];
        out += alphabet[(n >> 12) & 63];
        out += alphabet[(n >> 6) & 63];
        out += '=';
    }
    return out;
}

static const char *const style = R"(
body { font-family: "DejaVu Sans", Verdana, sans-serif; margin: 2em auto; max-width: 1100px; padding: 0 1em;
       color: #1c1e21; background: #f4f5f7; }
h1 { font-size: 1.6em; margin-bottom: 0.2em; }
.lead { color: #555; margin-top: 0; }
.summary { display: flex; gap: 2em; align-items: flex-start; flex-wrap: wrap; margin: 1.5em 0; }
.summary img { border: 1px solid #ccc; background: #2b2d31; }
.final pre, figure pre { background: #fff; border: 1px solid #ccd; padding: 0.4em 0.6em; white-space: pre-wrap;
       word-break: break-all; font-size: 0.95em; margin: 0.4em 0 0 0; }
.shots { display: flex; flex-wrap: wrap; gap: 1.2em; }
figure { margin: 0; background: #fff; border: 1px solid #dde; padding: 0.7em; width: 300px; }
figure.landscape { width: 400px; }
pre.empty { color: #888; font-style: italic; }
figure img { width: 100%; display: block; border: 1px solid #ccc; }
figcaption { font-weight: bold; margin: 0.5em 0 0.2em 0; }
.mode { font-weight: normal; color: #666; font-size: 0.85em; }
.error { color: #a00; font-weight: bold; }
)";

bool writeReport(const std::string &path, const Report &report, std::string *error)
{
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        *error = "cannot write " + path;
        return false;
    }
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
        << markupEscaped(report.title) << "</title>\n<style>" << style << "</style>\n</head>\n<body>\n";
    out << "<h1>" << markupEscaped(report.title) << "</h1>\n";
    out << "<p class=\"lead\">The " << markupEscaped(report.variant) << " variant on a simulated " << report.screenWidth
        << "&times;" << report.screenHeight << " handheld, "
        << "driven by " << markupEscaped(report.script) << "; " << report.virtualMs / 1000.0
        << " s on the device's clock.</p>\n";
    if (!report.webPage.empty())
        out << "<p>To type on the panel yourself, with the mouse or a finger, open <a href=\""
            << markupEscaped(report.webPage)
            << "\">the page that runs it in your browser</a> (<code>scripts/web.sh</code> makes it).</p>\n";
    if (!report.error.empty())
        out << "<p class=\"error\">The run stopped: " << markupEscaped(report.error) << "</p>\n";

    out << "<div class=\"summary\">\n";
    std::vector<unsigned char> gif;
    if (!report.animationPath.empty() && readFile(report.animationPath, &gif) && !gif.empty())
        out << "<img alt=\"the whole session\" width=\"480\" src=\"data:image/gif;base64," << base64(gif) << "\">\n";
    out << "<div class=\"final\"><h2>What the application received</h2>\n<pre>"
        << markupEscaped(visibleText(report.finalText)) << "</pre>\n";
    out << "<h2>Programs started</h2>\n";
    if (report.programs.empty()) {
        out << "<p>None.</p>\n";
    } else {
        out << "<ul>\n";
        for (const std::string &program : report.programs)
            out << "<li><code>" << markupEscaped(program) << "</code></li>\n";
        out << "</ul>\n";
    }
    out << "</div>\n</div>\n";

    out << "<h2>Screenshots</h2>\n<div class=\"shots\">\n";
    int number = 0;
    for (const ShotRecord &shot : report.shots) {
        std::vector<unsigned char> png;
        if (!encodePng(shot.image, &png)) {
            *error = "cannot encode a screenshot";
            return false;
        }
        bool landscape = shot.image.width > shot.image.height;
        out << "<figure" << (landscape ? " class=\"landscape\"" : "") << ">\n";
        out << "<img alt=\"" << markupEscaped(shot.caption) << "\" src=\"data:image/png;base64," << base64(png)
            << "\">\n";
        out << "<figcaption>" << ++number << ". " << markupEscaped(shot.caption) << " <span class=\"mode\">("
            << markupEscaped(shot.face) << " mode, line " << shot.line << ")</span></figcaption>\n";
        if (shot.text.empty())
            out << "<pre class=\"empty\">nothing typed yet</pre>\n</figure>\n";
        else
            out << "<pre>" << markupEscaped(visibleText(shot.text)) << "</pre>\n</figure>\n";
    }
    out << "</div>\n</body>\n</html>\n";
    out.close();
    if (!out) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}
