// The device's installer: a cabinet's _setup.xml applied as the configuration manager applies a
// provisioning document, all of it or nothing. The cabinet is read with libgcab, the document with
// libxml2, which keeps each element's line for the reasons given.
#include "core/core.h"
#include "core/files.h"
#include "install/lifecycle.h"

#include <libgcab.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <set>

namespace emu {
namespace {

// A _setup.xml longer than this is refused before it is decompressed.
const size_t maxSetupSize = 1u << 20;
// The Install CSP's limit for AppName, in characters.
const size_t maxAppNameLength = 70;

// Why a cabinet is refused; thrown from wherever the fault is found, caught at the top.
struct Refusal {
    std::string why;
};

[[noreturn]] void refuse(const std::string &why)
{
    throw Refusal{why};
}

[[noreturn]] void refuse(long line, const std::string &why)
{
    refuse("_setup.xml line " + std::to_string(line) + ": " + why);
}

[[noreturn]] void refuse(const xmlNode *at, const std::string &why)
{
    refuse(xmlGetLineNo(at), why);
}

std::string quoted(const std::string &s)
{
    return "\"" + s + "\"";
}

// ---- the cabinet ----

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

gboolean isWanted(GCabFile *file, gpointer wanted)
{
    return static_cast<std::set<GCabFile *> *>(wanted)->count(file) != 0;
}

class Cabinet {
  public:
    // Reads the headers and the list of members; the bytes must outlive the cabinet.
    explicit Cabinet(const std::vector<uint8_t> &bytes)
        : stream_(g_memory_input_stream_new_from_data(bytes.data(), (gssize)bytes.size(), nullptr)),
          cabinet_(gcab_cabinet_new())
    {
        GError *error = nullptr;
        if (!gcab_cabinet_load(cabinet_.get(), stream_.get(), nullptr, &error))
            refuse("not a cabinet libgcab can read: " + message(error));
        GPtrArray *folders = gcab_cabinet_get_folders(cabinet_.get());
        for (guint i = 0; i < folders->len; ++i) {
            GCabFolder *folder = static_cast<GCabFolder *>(g_ptr_array_index(folders, i));
            // The device documents uncompressed and MSZIP folders only, not LZX.
            int compression = gcab_folder_get_comptype(folder) & GCAB_COMPRESSION_MASK;
            if (compression != GCAB_COMPRESSION_NONE && compression != GCAB_COMPRESSION_MSZIP)
                refuse("the cabinet's compression " + std::to_string(compression) +
                       " is neither none nor MSZIP, which the device documents");
            GSList *list = gcab_folder_get_files(folder);
            for (GSList *f = list; f; f = f->next) {
                GCabFile *file = static_cast<GCabFile *>(f->data);
                members_.emplace(gcab_file_get_name(file), file);
            }
            g_slist_free(list);
        }
    }

    bool holds(const std::string &name) const { return members_.count(name) != 0; }

    // Decompresses the named members into memory; refused when together they would take more
    // than limit bytes, so a small hostile cabinet cannot make the emulation allocate gigabytes.
    std::map<std::string, std::vector<uint8_t>> extract(const std::set<std::string> &names, size_t limit)
    {
        std::set<GCabFile *> wanted;
        unsigned long long total = 0;
        for (const std::string &name : names) {
            GCabFile *file = members_.at(name);
            wanted.insert(file);
            total += gcab_file_get_size(file);
        }
        if (total > limit)
            refuse("the cabinet's files would take " + std::to_string(total) + " bytes, more than " +
                   std::to_string(limit));
        // Without a folder to extract into, libgcab keeps each member's bytes with it.
        GError *error = nullptr;
        if (!gcab_cabinet_extract(cabinet_.get(), nullptr, isWanted, nullptr, &wanted, nullptr, &error))
            refuse("the cabinet cannot be decompressed: " + message(error));
        std::map<std::string, std::vector<uint8_t>> contents;
        for (const std::string &name : names) {
            GBytes *bytes = gcab_file_get_bytes(members_.at(name));
            gsize size = 0;
            const uint8_t *data = bytes ? static_cast<const uint8_t *>(g_bytes_get_data(bytes, &size)) : nullptr;
            if (!bytes || size != gcab_file_get_size(members_.at(name)))
                refuse("the cabinet's member " + quoted(name) + " cannot be decompressed");
            contents[name].assign(data, data + size);
        }
        return contents;
    }

  private:
    static std::string message(GError *error)
    {
        std::string text = error && error->message ? error->message : "unknown error";
        g_clear_error(&error);
        return text;
    }

    std::unique_ptr<GInputStream, Unref> stream_;
    std::unique_ptr<GCabCabinet, Unref> cabinet_;
    std::map<std::string, GCabFile *> members_;
};

// ---- the document ----

struct FreeDoc {
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};
typedef std::unique_ptr<xmlDoc, FreeDoc> Document;

// Parses without network access, without loading a DTD and without substituting entities.
Document parse(const std::vector<uint8_t> &text)
{
    xmlInitParser();
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context)
        throw std::bad_alloc();
    Document doc(xmlCtxtReadMemory(context, reinterpret_cast<const char *>(text.data()), (int)text.size(), "_setup.xml",
                                   nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    xmlErrorPtr error = xmlCtxtGetLastError(context);
    std::string why = error && error->message ? error->message : "no document";
    long line = error ? error->line : 1;
    xmlFreeParserCtxt(context);
    if (!doc) {
        while (!why.empty() && (why.back() == '\n' || why.back() == ' '))
            why.pop_back();
        refuse(line, "malformed XML: " + why);
    }
    // Entities could hide what a document does; a provisioning document declares none.
    if (doc->intSubset || doc->extSubset)
        refuse(1, "a document type declaration, which the installer does not take");
    return doc;
}

std::string nameOf(const xmlNode *n)
{
    return reinterpret_cast<const char *>(n->name);
}

bool attribute(const xmlNode *n, const char *name, std::string *value)
{
    xmlChar *v = xmlGetNoNsProp(n, reinterpret_cast<const xmlChar *>(name));
    if (!v)
        return false;
    *value = reinterpret_cast<const char *>(v);
    xmlFree(v);
    return true;
}

// How an element is named in a reason: characteristic "Install", parm "NumDirs".
std::string what(const xmlNode *n)
{
    std::string id;
    if (!attribute(n, nameOf(n) == "parm" ? "name" : "type", &id))
        return "<" + nameOf(n) + ">";
    return nameOf(n) + " " + quoted(id);
}

// The element children; comments and blank text are passed over, anything else is refused.
std::vector<xmlNode *> children(const xmlNode *parent)
{
    std::vector<xmlNode *> out;
    for (xmlNode *n = parent->children; n; n = n->next) {
        if (n->type == XML_ELEMENT_NODE)
            out.push_back(n);
        else if (n->type != XML_COMMENT_NODE && !(n->type == XML_TEXT_NODE && xmlIsBlankNode(n)))
            refuse(n, "unexpected content in " + what(parent));
    }
    return out;
}

// Refuses an element of another name, one with an attribute not in the list, and a parm that
// holds anything.
void expect(const xmlNode *n, const char *element, std::initializer_list<const char *> attributes)
{
    if (nameOf(n) != element)
        refuse(n, "unexpected element <" + nameOf(n) + "> where a " + element + " belongs");
    if (nameOf(n) == "parm" && !children(n).empty())
        refuse(n, what(n) + " holds an element");
    for (const xmlAttr *a = n->properties; a; a = a->next) {
        bool known = false;
        for (const char *k : attributes)
            known = known || (!a->ns && nameOf(reinterpret_cast<const xmlNode *>(a)) == k);
        if (!known)
            refuse(n, "unknown attribute " + quoted(nameOf(reinterpret_cast<const xmlNode *>(a))) + " on " + what(n));
    }
}

std::string required(const xmlNode *n, const char *name)
{
    std::string value;
    if (!attribute(n, name, &value))
        refuse(n, nameOf(n) + " without " + name);
    return value;
}

// Text as the configuration manager reads it under a translation attribute: "filesystem" makes
// doubled backslashes single; "install" also puts the folder of each CE string in its place.
std::string translated(const xmlNode *at, const std::string &text, const std::string &translation)
{
    if (translation != "install" && translation != "filesystem")
        refuse(at, "unknown translation " + quoted(translation));
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (translation == "install" && text.compare(i, 3, "%CE") == 0) {
            size_t end = text.find('%', i + 3);
            std::string digits = text.substr(i + 3, end == std::string::npos ? std::string::npos : end - i - 3);
            bool number =
                !digits.empty() && digits.size() <= 2 && digits.find_first_not_of("0123456789") == digits.npos;
            const char *folder = number && end != std::string::npos ? shellFolder(std::stoi(digits)) : nullptr;
            if (!folder)
                refuse(at, "unknown CE string " + quoted(text.substr(i, end == text.npos ? end : end - i + 1)));
            out += folder;
            i = end + 1;
        } else if (text.compare(i, 2, "\\\\") == 0) {
            out += '\\';
            i += 2;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// An attribute's value, translated when the element asks for it.
std::string valueOf(const xmlNode *n, const char *name)
{
    std::string value = required(n, name), translation;
    return attribute(n, "translation", &translation) ? translated(n, value, translation) : value;
}

// A name the device's file system takes for a file or folder.
bool validName(const std::string &name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || strchr("\\/:*?\"<>|", c))
            return false;
    return true;
}

std::string parentOf(const std::string &folder)
{
    size_t cut = folder.rfind('\\');
    return cut == 0 ? "\\" : folder.substr(0, cut);
}

// A decimal number in [min, max], digits only but for a leading minus.
bool number(const std::string &text, long long min, long long max, long long *value)
{
    size_t digits = text.compare(0, 1, "-") == 0 ? 1 : 0;
    if (text.size() == digits || text.size() - digits > 10 ||
        text.find_first_not_of("0123456789", digits) != std::string::npos)
        return false;
    *value = std::stoll(text);
    return *value >= min && *value <= max;
}

// The Install CSP's parms (gg155004) that the installer knows. The counts are what the device's
// installer is told the document does: a count that does not match it is refused.
enum Count { NUM_DIRS, NUM_FILES, NUM_REG_KEYS, NUM_REG_VALS, NUM_SHORTCUTS, NOT_A_COUNT };
const struct {
    const char *name;
    Count count;
    bool required;
} installParms[] = {
    {"InstallPhase", NOT_A_COUNT, true}, {"AppName", NOT_A_COUNT, true},        {"InstallDir", NOT_A_COUNT, false},
    {"NumDirs", NUM_DIRS, true},         {"NumFiles", NUM_FILES, true},         {"NumRegKeys", NUM_REG_KEYS, true},
    {"NumRegVals", NUM_REG_VALS, true},  {"NumShortcuts", NUM_SHORTCUTS, true}, {nullptr, NOT_A_COUNT, false},
};

// The Registry CSP's roots, by either name; the key path is written with the short one.
const struct {
    const char *shortName;
    const char *longName;
} registryRoots[] = {
    {"HKCR", "HKEY_CLASSES_ROOT"},
    {"HKCU", "HKEY_CURRENT_USER"},
    {"HKLM", "HKEY_LOCAL_MACHINE"},
    {nullptr, nullptr},
};

// What a document does, all checked before any of it is done.
struct Plan {
    struct File {
        std::string path;
        std::string source;
        long line;
    };
    struct Value {
        std::string key;
        std::string name;
        DWORD type;
        std::string text;
        DWORD number;
    };
    std::string appName;
    std::vector<std::string> folders;
    std::vector<File> files;
    std::vector<Value> values;
};

class SetupReader {
  public:
    Plan read(const xmlDoc *doc)
    {
        const xmlNode *root = xmlDocGetRootElement(doc);
        if (!root)
            refuse(1, "no document");
        if (nameOf(root) != "wap-provisioningdoc")
            refuse(root, "the document is a <" + nameOf(root) + ">, not a wap-provisioningdoc");
        expect(root, "wap-provisioningdoc", {});
        std::vector<xmlNode *> top = children(root);
        if (top.empty())
            refuse(root, "no Install characteristic");
        for (size_t i = 0; i < top.size(); ++i) {
            expect(top[i], "characteristic", {"type"});
            std::string type = required(top[i], "type");
            if (type == "Install" && i == 0)
                install(top[i]);
            else if (i == 0 || type == "Install")
                refuse(top[i], "the Install characteristic comes first, and only once");
            else if (type == "FileOperation")
                fileOperation(top[i]);
            else if (type == "Registry")
                registry(top[i]);
            else
                refuse(top[i], "unknown characteristic " + quoted(type));
        }
        checkCounts();
        return plan_;
    }

  private:
    void install(const xmlNode *c)
    {
        std::set<std::string> seen;
        for (const xmlNode *p : children(c)) {
            expect(p, "parm", {"name", "value", "translation"});
            std::string name = required(p, "name"), value = valueOf(p, "value");
            int i = 0;
            while (installParms[i].name && name != installParms[i].name)
                ++i;
            if (!installParms[i].name)
                refuse(p, "unknown parm " + quoted(name) + " in the Install characteristic");
            if (!seen.insert(name).second)
                refuse(p, "parm " + quoted(name) + " given twice");
            long long n = 0;
            if (installParms[i].count != NOT_A_COUNT) {
                if (!number(value, 0, 0x7FFFFFFF, &n))
                    refuse(p, name + " " + quoted(value) + " is not a count");
                declared_[installParms[i].count] = {xmlGetLineNo(p), n};
            } else if (name == "InstallPhase" && value != "install") {
                refuse(p, "InstallPhase " + quoted(value) + ", where the Install CSP takes only \"install\"");
            } else if (name == "AppName" && (value.empty() || characters(value) > maxAppNameLength)) {
                refuse(p, "AppName must have 1 to " + std::to_string(maxAppNameLength) + " characters");
            } else if (name == "AppName") {
                plan_.appName = value;
            }
        }
        for (int i = 0; installParms[i].name; ++i)
            if (installParms[i].required && !seen.count(installParms[i].name))
                refuse(c, "the Install characteristic has no " + std::string(installParms[i].name));
    }

    void fileOperation(const xmlNode *c)
    {
        for (const xmlNode *folder : children(c)) {
            expect(folder, "characteristic", {"type", "translation"});
            std::string path = folderPath(folder);
            for (const xmlNode *op : children(folder)) {
                expect(op, "characteristic", {"type", "translation"});
                std::string type = required(op, "type"), translation;
                if (attribute(op, "translation", &translation))
                    extract(op, path);
                else if (type == "MakeDir")
                    makeDir(op, path);
                else
                    refuse(op, "unknown characteristic " + quoted(type) + " (a file's name carries a translation)");
            }
        }
    }

    // The folder a FileOperation characteristic names: an absolute path of valid names, as the
    // FileOperation CSP requires it, with a translation.
    std::string folderPath(const xmlNode *folder)
    {
        std::string translation;
        if (!attribute(folder, "translation", &translation))
            refuse(folder, "folder " + quoted(required(folder, "type")) + " has no translation");
        std::string path = valueOf(folder, "type");
        bool valid = path.size() > 1 && path[0] == '\\';
        for (size_t at = 1, end = 0; valid && at <= path.size(); at = end + 1) {
            end = std::min(path.find('\\', at), path.size());
            valid = validName(path.substr(at, end - at));
        }
        if (!valid)
            refuse(folder, "folder " + quoted(path) + " is not an absolute path on the device");
        return path;
    }

    bool folderThere(const std::string &folder) const
    {
        return deviceFolderExists(folder) || made_.count(lowered(folder));
    }

    void makeDir(const xmlNode *op, const std::string &folder)
    {
        if (!children(op).empty())
            refuse(op, "MakeDir holds something");
        if (!folderThere(parentOf(folder)))
            refuse(op, "MakeDir " + quoted(folder) + ": its parent does not exist");
        made_.insert(lowered(folder));
        plan_.folders.push_back(folder);
        ++actual_[NUM_DIRS];
    }

    void extract(const xmlNode *file, const std::string &folder)
    {
        std::string name = valueOf(file, "type");
        if (!validName(name))
            refuse(file, "file name " + quoted(name) + " is not one the device takes");
        std::vector<xmlNode *> ops = children(file);
        if (ops.size() != 1)
            refuse(file, "file " + quoted(name) + " needs exactly one operation");
        expect(ops[0], "characteristic", {"type"});
        if (required(ops[0], "type") != "Extract")
            refuse(ops[0], "unknown characteristic " + quoted(required(ops[0], "type")));
        std::vector<xmlNode *> parms = children(ops[0]);
        if (parms.size() != 1)
            refuse(ops[0], "Extract needs exactly one Source");
        expect(parms[0], "parm", {"name", "value"});
        if (required(parms[0], "name") != "Source")
            refuse(parms[0], "unknown parm " + quoted(required(parms[0], "name")) + " in Extract");
        if (!folderThere(folder))
            refuse(file, "folder " + quoted(folder) + " does not exist and the document does not make it");
        std::string path = folder + "\\" + name;
        if (!targets_.insert(lowered(path)).second)
            refuse(file, quoted(path) + " is extracted twice");
        plan_.files.push_back(Plan::File{path, required(parms[0], "value"), xmlGetLineNo(parms[0])});
        ++actual_[NUM_FILES];
    }

    void registry(const xmlNode *c)
    {
        for (const xmlNode *key : children(c)) {
            expect(key, "characteristic", {"type"});
            std::string path = keyPath(key);
            if (!keys_.insert(lowered(path)).second)
                refuse(key, "key " + quoted(path) + " given twice");
            ++actual_[NUM_REG_KEYS];
            for (const xmlNode *p : children(key))
                value(p, path);
        }
    }

    // A key path of the Registry CSP: a root, then key names separated by backslashes. A doubled
    // backslash would stand for a backslash inside a name, which no registry key name may hold.
    std::string keyPath(const xmlNode *key)
    {
        std::string path = required(key, "type");
        if (path.find("\\\\") != std::string::npos)
            refuse(key, "key " + quoted(path) + ": a key name cannot hold a backslash");
        std::string rootName = path.substr(0, path.find('\\'));
        int r = 0;
        while (registryRoots[r].shortName && lowered(rootName) != lowered(registryRoots[r].shortName) &&
               lowered(rootName) != lowered(registryRoots[r].longName))
            ++r;
        if (!registryRoots[r].shortName)
            refuse(key, "key " + quoted(path) + " is under no root the installer knows (HKCR, HKCU, HKLM)");
        std::string rest = path.substr(rootName.size());
        if (rest == "\\" || (!rest.empty() && rest.back() == '\\'))
            refuse(key, "key " + quoted(path) + " has an empty key name");
        return registryRoots[r].shortName + rest;
    }

    void value(const xmlNode *p, const std::string &key)
    {
        expect(p, "parm", {"name", "value", "datatype", "translation"});
        Plan::Value v{key, required(p, "name"), REG_NONE, valueOf(p, "value"), 0};
        std::string datatype;
        if (!attribute(p, "datatype", &datatype))
            refuse(p, what(p) + " has no datatype");
        long long n = 0;
        if (datatype == "string") {
            v.type = REG_SZ;
        } else if (datatype == "integer") {
            // Cabinets fail for a value outside the signed 32-bit range (Registry CSP).
            if (!number(v.text, -0x80000000LL, 0x7FFFFFFF, &n))
                refuse(p, what(p) + ": " + quoted(v.text) + " is not a signed 32-bit integer");
            v.type = REG_DWORD;
            v.number = (DWORD)(uint32_t)n;
        } else {
            refuse(p, "unknown datatype " + quoted(datatype) + " (the installer knows string and integer)");
        }
        if (!values_.insert(lowered(key) + "\n" + lowered(v.name)).second)
            refuse(p, what(p) + " of key " + quoted(key) + " given twice");
        plan_.values.push_back(v);
        ++actual_[NUM_REG_VALS];
    }

    void checkCounts()
    {
        for (int i = 0; installParms[i].name; ++i) {
            Count c = installParms[i].count;
            if (c != NOT_A_COUNT && declared_[c].second != actual_[c])
                refuse(declared_[c].first, std::string(installParms[i].name) + " says " +
                                               std::to_string(declared_[c].second) + ", the document has " +
                                               std::to_string(actual_[c]));
        }
    }

    static size_t characters(const std::string &utf8)
    {
        size_t n = 0;
        for (unsigned char c : utf8)
            n += (c & 0xC0) != 0x80;
        return n;
    }

    Plan plan_;
    std::set<std::string> made_, targets_, keys_, values_; // lower-cased, to refuse doing a thing twice
    std::map<Count, std::pair<long, long long>> declared_; // line and value of each count
    std::map<Count, long long> actual_;
};

// The bytes a registry value holds: a string in UTF-16 with its terminator, a number in 4 bytes.
std::vector<uint8_t> dataOf(const Plan::Value &v)
{
    std::vector<uint8_t> data;
    if (v.type == REG_SZ) {
        for (char16_t c : utf16(v.text.c_str()) + u'\0') {
            data.push_back((uint8_t)c);
            data.push_back((uint8_t)(c >> 8));
        }
    } else {
        for (int i = 0; i < 4; ++i)
            data.push_back((uint8_t)(v.number >> (8 * i)));
    }
    return data;
}

// Checks everything, then applies it: an install of the same name removed first, then folders,
// files and registry values, each noted in the install's record. True when a file in use waits
// for the restart.
bool install(const std::vector<uint8_t> &bytes)
{
    Cabinet cabinet(bytes);
    if (!cabinet.holds("_setup.xml"))
        refuse("the cabinet holds no _setup.xml");
    std::vector<uint8_t> setup = cabinet.extract({"_setup.xml"}, maxSetupSize)["_setup.xml"];
    Plan plan = SetupReader().read(parse(setup).get());
    std::set<std::string> sources;
    for (const Plan::File &f : plan.files) {
        if (!cabinet.holds(f.source))
            refuse(f.line, "Source " + quoted(f.source) + " is not in the cabinet");
        sources.insert(f.source);
    }
    std::map<std::string, std::vector<uint8_t>> contents = cabinet.extract(sources, maxFileSize);

    bool restart = isInstalled(plan.appName) && removeInstall(plan.appName);
    InstallRecord record(plan.appName);
    for (const std::string &folder : plan.folders)
        record.makeFolder(folder);
    for (const Plan::File &f : plan.files)
        restart = record.writeFile(f.path, contents[f.source]) || restart;
    for (const Plan::Value &v : plan.values)
        record.setValue(v.key, v.name, v.type, dataOf(v));
    keepInstall(std::move(record));
    return restart;
}

// The reason into the caller's buffer, cut at a character boundary.
void report(const std::string &why, char *problem, size_t problemSize)
{
    if (!problem || problemSize == 0)
        return;
    size_t n = std::min(why.size(), problemSize - 1);
    while (n > 0 && n < why.size() && (static_cast<unsigned char>(why[n]) & 0xC0) == 0x80)
        --n;
    memcpy(problem, why.data(), n);
    problem[n] = '\0';
}

int installReporting(const std::vector<uint8_t> &bytes, char *problem, size_t problemSize)
{
    try {
        bool restart = install(bytes);
        report(restart ? restartMessage : "", problem, problemSize);
        return restart ? EMU_RESTART_REQUIRED : EMU_INSTALLED;
    } catch (const Refusal &r) {
        report(r.why, problem, problemSize);
    } catch (const std::bad_alloc &) {
        report("out of memory", problem, problemSize);
    }
    return 0;
}

} // namespace
} // namespace emu

using namespace emu;

extern "C" {

int emuInstallCab(const char *hostPath, char *problem, size_t problemSize)
{
    std::vector<uint8_t> bytes;
    std::string why;
    if (!hostPath || !readHostFile(hostPath, &bytes, &why)) {
        report(std::string(hostPath ? hostPath : "(null)") + ": " + (hostPath ? why : "no path"), problem, problemSize);
        return 0;
    }
    return installReporting(bytes, problem, problemSize);
}

int emuInstallCabBytes(const void *bytes, size_t size, char *problem, size_t problemSize)
{
    if ((!bytes && size) || size > maxFileSize) {
        report(size > maxFileSize ? "the cabinet is larger than 64 MiB" : "no bytes", problem, problemSize);
        return 0;
    }
    const uint8_t *b = static_cast<const uint8_t *>(bytes);
    return installReporting(std::vector<uint8_t>(b, b + size), problem, problemSize);
}

int emuUninstall(const char *appName, char *problem, size_t problemSize)
{
    std::string name = appName ? appName : "";
    if (!isInstalled(name)) {
        report("no install is called " + quoted(name), problem, problemSize);
        return 0;
    }
    bool restart = removeInstall(name);
    report(restart ? restartMessage : "", problem, problemSize);
    return restart ? EMU_RESTART_REQUIRED : EMU_INSTALLED;
}

const char *emuInstalledApp(int n)
{
    const InstallRecord *record = n >= 0 ? installAt((size_t)n) : nullptr;
    return record ? record->appName().c_str() : nullptr;
}

} // extern "C"
