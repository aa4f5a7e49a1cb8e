// ELF assembly for ARM into PE/COFF assembly: directives kept, dropped, rewritten or refused, and
// instructions passed through once no ELF relocation operator is found in them.
#include "asmtranslate.h"

#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace asmpe {
namespace {

enum Action {
    KEEP,    // means the same to both assemblers
    DROP,    // an ELF fact the PE/COFF object has no place for and the device needs not
    SECTION, // rewritten to the PE section it stands for
    WEAK,    // a weak definition in a comdat section: a global one there
    SET,     // an equate, which defines its symbol in the current section
    SYNTAX,  // unified syntax only
    FILE,    // the source's name, but not a DWARF file number
    CODE,    // ARM code only
    REFUSE,
};

struct Rule {
    const char *directive;
    Action action;
    const char *reason; // for REFUSE
};

const char *const UNWIND = "unwind tables have no place in the device DLL (build with -fno-exceptions and "
                           "-fno-unwind-tables)";
const char *const THUMB = "Thumb code: the device DLLs are ARM code (-marm)";
const char *const VISIBILITY = "ELF symbol visibility: a PE DLL exports through its .def file";
const char *const COMMON = "a common symbol: give the variable an initialiser or -fno-common";
const char *const TLS = "thread-local data: the device's loader supports no static TLS";
const char *const CONSTRUCTORS = "a static constructor or destructor: the device's loader runs none, so the "
                                 "data must be constant-initialised";
const char *const DEBUG_INFO = "debugging information (build without -g)";

const Rule rules[] = {
    {".text", KEEP, nullptr},
    {".data", KEEP, nullptr},
    {".bss", KEEP, nullptr},
    {".align", KEEP, nullptr}, // a power of two for both object formats on ARM
    {".space", KEEP, nullptr},
    {".byte", KEEP, nullptr},
    {".short", KEEP, nullptr},
    {".word", KEEP, nullptr},
    {".ascii", KEEP, nullptr},
    {".global", KEEP, nullptr},
    {".arm", KEEP, nullptr},
    {".syntax", SYNTAX, nullptr},
    {".file", FILE, nullptr},
    {".section", SECTION, nullptr},
    {".weak", WEAK, nullptr},
    {".set", SET, nullptr},
    {".code", CODE, nullptr},
    // The ELF attributes section, symbol types and sizes, and the compiler's name.
    {".eabi_attribute", DROP, nullptr},
    {".arch", DROP, nullptr},
    {".fpu", DROP, nullptr},
    {".ident", DROP, nullptr},
    {".type", DROP, nullptr},
    {".size", DROP, nullptr},
    {".thumb", REFUSE, THUMB},
    {".thumb_func", REFUSE, THUMB},
    {".force_thumb", REFUSE, THUMB},
    {".hidden", REFUSE, VISIBILITY},
    {".protected", REFUSE, VISIBILITY},
    {".internal", REFUSE, VISIBILITY},
    {".comm", REFUSE, COMMON},
    {".lcomm", REFUSE, COMMON},
    {".local", REFUSE, COMMON},
    {".tls_common", REFUSE, TLS},
    {".fnstart", REFUSE, UNWIND},
    {".fnend", REFUSE, UNWIND},
    {".cantunwind", REFUSE, UNWIND},
    {".personality", REFUSE, UNWIND},
    {".personalityindex", REFUSE, UNWIND},
    {".handlerdata", REFUSE, UNWIND},
    {".save", REFUSE, UNWIND},
    {".vsave", REFUSE, UNWIND},
    {".pad", REFUSE, UNWIND},
    {".setfp", REFUSE, UNWIND},
    {".movsp", REFUSE, UNWIND},
    {".loc", REFUSE, DEBUG_INFO},
};

struct Failure {
    std::string reason;
    int line = 0; // where it lies, when not on the line being read
};

std::string trimmed(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool startsWith(const std::string &s, const char *prefix)
{
    return s.compare(0, strlen(prefix), prefix) == 0;
}

// The text before a comment ('@' outside a string).
std::string withoutComment(const std::string &s)
{
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && quoted)
            ++i;
        else if (s[i] == '"')
            quoted = !quoted;
        else if (s[i] == '@' && !quoted)
            return s.substr(0, i);
    }
    return s;
}

// The operands of a directive, split at commas outside strings, each trimmed.
std::vector<std::string> operandsOf(const std::string &s)
{
    std::vector<std::string> out;
    std::string part;
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\' && quoted && i + 1 < s.size()) {
            part += c;
            part += s[++i];
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted) {
            out.push_back(trimmed(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!trimmed(part).empty() || !out.empty())
        out.push_back(trimmed(part));
    return out;
}

bool isSymbolChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '$';
}

// An ELF relocation operator in operands: ":lower16:sym", "sym(GOT)", the global offset table.
// They ask the linker for ELF relocations that a PE/COFF object cannot carry. Strings are skipped.
std::string relocationOperator(const std::string &operands)
{
    std::string code;
    bool quoted = false;
    for (size_t i = 0; i < operands.size(); ++i) {
        char c = operands[i];
        if (c == '\\' && quoted) {
            ++i;
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        else if (!quoted)
            code += c;
    }
    if (code.find("_GLOBAL_OFFSET_TABLE_") != std::string::npos)
        return "_GLOBAL_OFFSET_TABLE_";
    for (size_t i = 0; i < code.size(); ++i) {
        if (code[i] == ':') {
            size_t j = i + 1;
            while (j < code.size() && isSymbolChar(code[j]))
                ++j;
            if (j > i + 1 && j < code.size() && code[j] == ':')
                return code.substr(i, j - i + 1);
        }
        if (code[i] == '(' && i > 0 && isSymbolChar(code[i - 1])) {
            size_t j = i + 1;
            while (j < code.size() && isSymbolChar(code[j]))
                ++j;
            if (j > i + 1 && j < code.size() && code[j] == ')')
                return code.substr(i, j - i + 1);
        }
    }
    return "";
}

enum SectionKind { TEXT, RDATA, DATA, BSS };

struct PeSection {
    const char *name;  // the PE section it goes into
    const char *flags; // as the PE/COFF assembler spells them
};
const PeSection peSections[] = {{".text", "xr"}, {".rdata", "dr"}, {".data", "dw"}, {".bss", "bw"}};

// ELF section names by prefix: the kind of each, whether it may stand outside a comdat group
// with a suffix (".rodata.str2.2" may; ".text.hot" has no meaning the device build wants).
struct ElfSection {
    const char *name;
    SectionKind kind;
    bool suffixOutsideComdat;
};
const ElfSection elfSections[] = {
    {".text", TEXT, false}, {".data.rel.ro", RDATA, true}, {".rodata", RDATA, true},
    {".data", DATA, false}, {".bss", BSS, false},
};

class Translator {
  public:
    std::string output;

    void line(const std::string &text, int number);
    void finish();

  private:
    void directive(const std::string &name, const std::string &operands, const std::string &text, int number);
    void section(const std::vector<std::string> &operands);
    void emit(const std::string &text) { output += text + "\n"; }
    void defined(const std::string &symbol)
    {
        if (inComdat)
            comdatSymbols.insert(symbol);
    }

    bool inComdat = false;
    std::set<std::string> comdatSymbols;
    std::map<std::string, int> weakSymbols; // and the line that made each weak
};

void Translator::line(const std::string &text, int number)
{
    std::string code = trimmed(withoutComment(text));
    if (code.empty()) {
        emit(text);
        return;
    }
    // A label stands alone at the start of a line.
    if (text[0] != ' ' && text[0] != '\t' && code.back() == ':' && code.find_first_of(" \t") == std::string::npos) {
        defined(code.substr(0, code.size() - 1));
        emit(text);
        return;
    }
    size_t end = code.find_first_of(" \t");
    std::string first = code.substr(0, end);
    std::string operands = end == std::string::npos ? "" : trimmed(code.substr(end));
    if (first[0] == '.') {
        directive(first, operands, text, number);
        return;
    }
    std::string op = relocationOperator(operands);
    if (!op.empty())
        throw Failure{"the ELF relocation operator " + op + " has no PE/COFF form"};
    emit(text);
}

void Translator::directive(const std::string &name, const std::string &operands, const std::string &text, int number)
{
    const Rule *rule = nullptr;
    for (const Rule &r : rules)
        if (name == r.directive)
            rule = &r;
    if (!rule)
        throw Failure{startsWith(name, ".cfi_") ? UNWIND : "unknown directive " + name};
    std::vector<std::string> args = operandsOf(operands);
    switch (rule->action) {
    case KEEP: {
        std::string op = name == ".ascii" ? "" : relocationOperator(operands);
        if (!op.empty())
            throw Failure{"the ELF relocation operator " + op + " has no PE/COFF form"};
        emit(text);
        return;
    }
    case DROP:
        return;
    case SECTION:
        section(args);
        return;
    case WEAK:
        if (args.size() != 1)
            throw Failure{".weak of other than one symbol"};
        weakSymbols.insert({args[0], number});
        emit("\t.global\t" + args[0]);
        return;
    case SET:
        if (args.size() != 2)
            throw Failure{".set needs a symbol and a value"};
        if (!relocationOperator(args[1]).empty())
            throw Failure{"the ELF relocation operator " + relocationOperator(args[1]) + " has no PE/COFF form"};
        defined(args[0]);
        emit(text);
        return;
    case SYNTAX:
        if (operands != "unified")
            throw Failure{"syntax other than unified: " + operands};
        emit(text);
        return;
    case FILE:
        if (args.size() != 1 || args[0].empty() || args[0][0] != '"')
            throw Failure{DEBUG_INFO};
        emit(text);
        return;
    case CODE:
        if (operands != "32")
            throw Failure{THUMB};
        emit(text);
        return;
    case REFUSE:
        throw Failure{rule->reason};
    }
}

// .section NAME[,"FLAGS"[,%TYPE[,ENTSIZE][,GROUP,comdat]]]
void Translator::section(const std::vector<std::string> &args)
{
    if (args.empty())
        throw Failure{".section without a name"};
    const std::string &name = args[0];
    std::string flags = args.size() > 1 ? args[1] : "";
    if (flags.size() >= 2 && flags.front() == '"' && flags.back() == '"')
        flags = flags.substr(1, flags.size() - 2);
    if (name == ".note.GNU-stack")
        return; // the ELF note that the stack need not be executable: nothing on the device
    for (const char *c : {".init_array", ".fini_array", ".preinit_array", ".ctors", ".dtors"})
        if (startsWith(name, c))
            throw Failure{CONSTRUCTORS};
    if (startsWith(name, ".tbss") || startsWith(name, ".tdata") || flags.find('T') != std::string::npos)
        throw Failure{TLS};
    bool grouped = flags.find('G') != std::string::npos;
    bool comdat = grouped && args.back() == "comdat";
    if (grouped && !comdat)
        throw Failure{"a section group that is not a comdat: " + name};

    const ElfSection *kind = nullptr;
    std::string suffix;
    for (const ElfSection &s : elfSections) {
        size_t n = strlen(s.name);
        if (name == s.name || (name.compare(0, n, s.name) == 0 && name[n] == '.')) {
            kind = &s;
            suffix = name.size() > n ? name.substr(n + 1) : "";
            break;
        }
    }
    if (!kind || (!suffix.empty() && !comdat && !kind->suffixOutsideComdat) || (comdat && suffix.empty()))
        throw Failure{"unknown section " + name};
    if (flags.find_first_not_of("aMSGwx") != std::string::npos)
        throw Failure{"section flags \"" + flags + "\" of " + name};
    const PeSection &pe = peSections[kind->kind];
    inComdat = comdat;
    if (comdat) {
        // One PE section per comdat, named for its ELF section; the linker keeps the first of a name
        // and merges it, by the part before '$', into the section of its kind.
        emit(std::string("\t.section\t") + pe.name + "$" + suffix + ",\"" + pe.flags + "\"");
        emit("\t.linkonce\tdiscard");
        return;
    }
    if (kind->kind == RDATA)
        emit(std::string("\t.section\t") + pe.name + ",\"" + pe.flags + "\"");
    else
        emit(std::string("\t") + pe.name);
}

void Translator::finish()
{
    for (const auto &weak : weakSymbols)
        if (!comdatSymbols.count(weak.first))
            throw Failure{"a weak symbol outside a comdat section: PE/COFF has no weak definitions (" + weak.first +
                              ")",
                          weak.second};
}

} // namespace

Translation translate(const std::string &elfAssembly)
{
    Translation result;
    Translator translator;
    std::istringstream in(elfAssembly);
    std::string text;
    int number = 0;
    try {
        while (std::getline(in, text)) {
            ++number;
            translator.line(text, number);
        }
        translator.finish();
    } catch (const Failure &f) {
        result.line = f.line ? f.line : number;
        result.reason = f.reason;
        return result;
    }
    result.ok = true;
    result.text = translator.output;
    return result;
}

} // namespace asmpe
