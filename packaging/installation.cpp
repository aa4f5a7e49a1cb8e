// A deliverable's installation, and the documents written from it: the provisioning document with
// libxml2, the registry file by its plain rules.
#include "installation.h"

#include <libxml/tree.h>

#include <algorithm>
#include <cstdio>

#include "surface/imageids.h"
#include "text.h"

namespace installation {

namespace {

// The install folder as a registry editor's user knows it.
const char INSTALL_FOLDER_PATH[] = "\\Windows";

const struct {
    const char *setup; // in _setup.xml
    const char *reg;   // in a registry file
} rootNames[] = {
    {"HKCR", "HKEY_CLASSES_ROOT"},
    {"HKCU", "HKEY_CURRENT_USER"},
    {"HKLM", "HKEY_LOCAL_MACHINE"},
};

std::string narrow(const WCHAR *text)
{
    return utf8FromUtf16(reinterpret_cast<const char16_t *>(text));
}

typedef std::vector<std::pair<const char *, std::string>> Attributes;

// An element of the document; a translated one has the installer put folders in for CE strings.
xmlNodePtr element(xmlNodePtr parent, const char *name, Attributes attributes, bool translated = false)
{
    if (translated)
        attributes.emplace_back("translation", "install");
    xmlNodePtr node = xmlNewChild(parent, nullptr, BAD_CAST name, nullptr);
    for (const auto &attribute : attributes)
        xmlNewProp(node, BAD_CAST attribute.first, BAD_CAST attribute.second.c_str());
    return node;
}

xmlNodePtr characteristic(xmlNodePtr parent, const std::string &type, bool translated = false)
{
    return element(parent, "characteristic", {{"type", type}}, translated);
}

void parm(xmlNodePtr parent, const std::string &name, const std::string &value, bool translated = false)
{
    element(parent, "parm", {{"name", name}, {"value", value}}, translated);
}

// What the installer is told first: the application, where it goes and how much the document holds;
// then the files; then the registry. A key's default value is written with an empty name: the
// reference does not say how a default value is written, and this is what a registry path with an
// empty value name means everywhere else.
void install(xmlNodePtr document, const Installation &installation)
{
    size_t values = 0;
    for (const Key &key : installation.keys)
        values += key.values.size();
    xmlNodePtr node = characteristic(document, "Install");
    parm(node, "InstallPhase", "install");
    parm(node, "AppName", installation.appName);
    parm(node, "InstallDir", INSTALL_FOLDER, true);
    std::vector<std::string> folders;
    for (const File &file : installation.files)
        if (std::find(folders.begin(), folders.end(), file.folder) == folders.end())
            folders.push_back(file.folder);
    parm(node, "NumDirs", std::to_string(folders.size()));
    parm(node, "NumFiles", std::to_string(installation.files.size()));
    parm(node, "NumRegKeys", std::to_string(installation.keys.size()));
    parm(node, "NumRegVals", std::to_string(values));
    parm(node, "NumShortcuts", "0");
    if (folders.empty())
        return;
    xmlNodePtr operations = characteristic(document, "FileOperation");
    for (const std::string &name : folders) {
        xmlNodePtr folder = characteristic(operations, name, true);
        characteristic(folder, "MakeDir");
        for (const File &file : installation.files)
            if (file.folder == name)
                parm(characteristic(characteristic(folder, file.name, true), "Extract"), "Source", file.member);
    }
}

void registry(xmlNodePtr document, const std::vector<Key> &keys)
{
    xmlNodePtr node = characteristic(document, "Registry");
    for (const Key &key : keys) {
        xmlNodePtr keyNode = characteristic(node, std::string(rootNames[key.root].setup) + "\\" + key.path);
        for (const Value &v : key.values)
            element(keyNode, "parm",
                    {{"name", v.name},
                     {"value", v.inFolder ? std::string(INSTALL_FOLDER) + "\\" + v.data : v.data},
                     {"datatype", v.type == INTEGER ? "integer" : "string"}},
                    v.inFolder);
    }
}

// A registry file's quoted text: backslashes and quotes escaped by a backslash.
std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string resourceModuleName()
{
    std::string path = narrow(RESOURCE_MODULE_PATH);
    return path.substr(path.rfind('\\') + 1);
}

Installation ofVariants(const std::vector<const VariantFacts *> &variants, const std::string &version)
{
    Installation installation{PRODUCT_APP_NAME, {}, {}, {}};
    // The cabinet's members by number, as the installer's custom short names go.
    auto add = [&installation](const std::string &name) {
        char member[16];
        snprintf(member, sizeof member, "KWENO.%03u", (unsigned)installation.files.size() + 1);
        installation.files.push_back({name, member});
    };
    for (const VariantFacts *variant : variants) {
        std::string dll = std::string(variant->name) + ".dll";
        std::string classKey = "CLSID\\" + narrow(variant->classIdText);
        installation.purpose.push_back(std::string("Registers ") + variant->displayName +
                                       " with the device's input-panel host: the class, the DLL that serves it,");
        installation.purpose.push_back(
            "the mark that makes it an input method, and the icon the input-panel list shows.");
        add(dll);
        if (variant == variants.front())
            add(resourceModuleName());
        std::vector<Key> keys = {
            {CLASSES_ROOT, classKey, {{"", STRING, variant->displayName, false}}},
            {CLASSES_ROOT, classKey + "\\InprocServer32", {{"", STRING, dll, true}}},
            {CLASSES_ROOT, classKey + "\\IsSIPInputMethod", {{"", STRING, "1", false}}},
            {CLASSES_ROOT, classKey + "\\DefaultIcon", {{"", STRING, dll + ",0", true}}},
        };
        installation.keys.insert(installation.keys.end(), keys.begin(), keys.end());
    }
    installation.purpose.push_back("The build's version, " + version + ", for a fleet's inventory.");
    installation.keys.push_back({LOCAL_MACHINE, VERSION_KEY, {{VERSION_VALUE, STRING, version, false}}});
    return installation;
}

Installation ofVariant(const VariantFacts &variant, const std::string &version)
{
    return ofVariants({&variant}, version);
}

Installation asCurrentInputMethod(const VariantFacts &variant)
{
    return Installation{
        CURRENT_APP_NAME,
        {std::string("Makes ") + variant.displayName + " the current input method from the next soft reset on."},
        {},
        {{CURRENT_USER, "ControlPanel\\Sip", {{"DefaultIm", STRING, narrow(variant.classIdText), false}}}},
    };
}

std::string provisioningDocument(const Installation &installation)
{
    xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
    xmlNodePtr root = xmlNewNode(nullptr, BAD_CAST "wap-provisioningdoc");
    xmlDocSetRootElement(doc, root);
    install(root, installation);
    if (!installation.keys.empty())
        registry(root, installation.keys);
    xmlChar *text = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc, &text, &size, "utf-8", 1);
    std::string out(reinterpret_cast<const char *>(text), (size_t)size);
    xmlFree(text);
    xmlFreeDoc(doc);
    return out;
}

std::string registryFile(const Installation &installation)
{
    std::string out = "REGEDIT4\r\n\r\n";
    for (const std::string &line : installation.purpose)
        out += "; " + line + "\r\n";
    for (const Key &key : installation.keys) {
        out += std::string("\r\n[") + rootNames[key.root].reg + "\\" + key.path + "]\r\n";
        for (const Value &v : key.values) {
            out += v.name.empty() ? "@" : quoted(v.name);
            if (v.type == INTEGER) {
                char dword[16];
                snprintf(dword, sizeof dword, "dword:%08x", (unsigned)std::stol(v.data));
                out += std::string("=") + dword + "\r\n";
            } else {
                out += "=" + quoted(v.inFolder ? std::string(INSTALL_FOLDER_PATH) + "\\" + v.data : v.data) + "\r\n";
            }
        }
    }
    return out;
}

} // namespace installation
