// kweno-registration: how the device's input-panel host is told of a deliverable, written from the
// panel's variant table: a registry file for a registry editor, or the _setup.xml that a CAB hands
// to the device's installer.
#include <cstdio>
#include <string>

#include <CLI/CLI.hpp>

#include "server/variants.h"
#include "text.h"
#include "surface/imageids.h"

namespace {

// Where the device keeps the panel and its pictures, as the installer's own CE string names it.
const char *const INSTALL_FOLDER = "\\Windows";
const char *const INSTALL_FOLDER_STRING = "%CE2%";
// The cabinet's members, by the short names the installer extracts them from.
const char *const PANEL_MEMBER = "KWENO.001";
const char *const RESOURCES_MEMBER = "KWENO.002";

std::string narrow(const WCHAR *text)
{
    std::string out;
    for (; *text; ++text)
        out += (char)*text;
    return out;
}

// The resource module's file name, from the path the panel loads it by.
std::string resourceModuleName()
{
    std::string path = narrow(RESOURCE_MODULE_PATH);
    return path.substr(path.rfind('\\') + 1);
}

// One default value of a key under HKEY_CLASSES_ROOT\CLSID\{class}: the key below the class (empty
// for the class's own key) and its text, in which a leading "folder" stands for the install folder.
struct Entry {
    std::string subkey;
    std::string text;
    bool inFolder;
};

std::vector<Entry> entriesOf(const VariantFacts &variant)
{
    std::string dll = std::string(variant.name) + ".dll";
    return {
        {"", variant.displayName, false},
        {"InprocServer32", dll, true},
        {"IsSIPInputMethod", "1", false},
        {"DefaultIcon", dll + ",0", true},
    };
}

std::string classKey(const VariantFacts &variant)
{
    return "CLSID\\" + narrow(variant.classIdText);
}

// A registry file as REGEDIT4 reads it: doubled backslashes inside strings, Windows line endings.
std::string registryFile(const VariantFacts &variant)
{
    std::string out = "REGEDIT4\r\n\r\n; Registers " + std::string(variant.displayName) +
                      " with the device's input-panel host: the class, the DLL that serves it,\r\n"
                      "; the mark that makes it an input method, and the icon the input-panel list shows.\r\n";
    for (const Entry &e : entriesOf(variant)) {
        out += "\r\n[HKEY_CLASSES_ROOT\\" + classKey(variant) + (e.subkey.empty() ? "" : "\\" + e.subkey) + "]\r\n@=\"";
        std::string text = e.inFolder ? std::string(INSTALL_FOLDER) + "\\" + e.text : e.text;
        for (char c : text)
            out += c == '\\' ? std::string("\\\\") : std::string(1, c);
        out += "\"\r\n";
    }
    return out;
}

std::string parm(const std::string &name, const std::string &value, const char *extra = "")
{
    return "<parm name=\"" + markupEscaped(name) + "\" value=\"" + markupEscaped(value) + "\"" + extra + " />";
}

// The installer's instructions: both files into \Windows, then the registry entries. A key's
// default value is written with an empty name; the reference does not say how a default value is
// written, and this is what a registry path with an empty value name means everywhere else.
std::string setupXml(const VariantFacts &variant)
{
    std::string dll = std::string(variant.name) + ".dll";
    std::vector<Entry> entries = entriesOf(variant);
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<wap-provisioningdoc>\n";
    out += "  <characteristic type=\"Install\">\n";
    out += "    " + parm("InstallPhase", "install") + "\n";
    out += "    " + parm("AppName", variant.displayName) + "\n";
    out += "    " + parm("InstallDir", INSTALL_FOLDER_STRING, " translation=\"install\"") + "\n";
    out += "    " + parm("NumDirs", "1") + "\n";
    out += "    " + parm("NumFiles", "2") + "\n";
    out += "    " + parm("NumRegKeys", std::to_string(entries.size())) + "\n";
    out += "    " + parm("NumRegVals", std::to_string(entries.size())) + "\n";
    out += "    " + parm("NumShortcuts", "0") + "\n";
    out += "  </characteristic>\n";
    out += "  <characteristic type=\"FileOperation\">\n";
    out += "    <characteristic type=\"" + std::string(INSTALL_FOLDER_STRING) + "\" translation=\"install\">\n";
    out += "      <characteristic type=\"MakeDir\" />\n";
    const std::pair<std::string, const char *> files[] = {{dll, PANEL_MEMBER},
                                                          {resourceModuleName(), RESOURCES_MEMBER}};
    for (const auto &file : files) {
        out += "      <characteristic type=\"" + markupEscaped(file.first) + "\" translation=\"install\">\n";
        out += "        <characteristic type=\"Extract\">\n";
        out += "          " + parm("Source", file.second) + "\n";
        out += "        </characteristic>\n";
        out += "      </characteristic>\n";
    }
    out += "    </characteristic>\n  </characteristic>\n";
    out += "  <characteristic type=\"Registry\">\n";
    for (const Entry &e : entries) {
        out += "    <characteristic type=\"HKCR\\" + markupEscaped(classKey(variant)) +
               (e.subkey.empty() ? "" : "\\" + e.subkey) + "\">\n";
        if (e.inFolder)
            out += "      " +
                   parm("", std::string(INSTALL_FOLDER_STRING) + "\\" + e.text,
                        " datatype=\"string\" translation=\"install\"") +
                   "\n";
        else
            out += "      " + parm("", e.text, " datatype=\"string\"") + "\n";
        out += "    </characteristic>\n";
    }
    out += "  </characteristic>\n</wap-provisioningdoc>\n";
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    CLI::App app{"Writes how the device's input-panel host is told of a deliverable: a registry file or a CAB's "
                 "_setup.xml, from the panel's variant table."};
    std::string variantName, format, out;
    app.add_option("--variant", variantName, "the deliverable (kweno, kweno_night)")->required();
    app.add_option("--format", format, "reg or setup-xml")->required()->check(CLI::IsMember({"reg", "setup-xml"}));
    app.add_option("--out", out, "the file to write")->required();
    CLI11_PARSE(app, argc, argv);

    const VariantFacts *variant = nullptr;
    for (const VariantFacts &v : VARIANTS)
        if (variantName == v.name)
            variant = &v;
    if (!variant) {
        fprintf(stderr, "kweno-registration: no deliverable is called \"%s\"\n", variantName.c_str());
        return 2;
    }
    std::string text = format == "reg" ? registryFile(*variant) : setupXml(*variant);
    FILE *f = fopen(out.c_str(), "wb");
    if (!f || fwrite(text.data(), 1, text.size(), f) != text.size() || fclose(f) != 0) {
        fprintf(stderr, "kweno-registration: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
