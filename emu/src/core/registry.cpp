// The registry: an in-memory hive of keys and typed values that hosts fill in; open, query, close.
#include "core/core.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

namespace emu {
namespace {

struct Value {
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
};

// Names are kept folded to upper case (ASCII letters), since the registry ignores case.
struct Key {
    std::map<std::u16string, std::shared_ptr<Key>> children;
    std::map<std::u16string, Value> values;
    bool deleted = false;
};

// An open key keeps its key alive, so that a key deleted meanwhile is recognised as deleted.
struct OpenKey {
    std::shared_ptr<Key> key;
};

struct Root {
    HKEY handle;
    const char *name;
    const char *shortName;
    std::shared_ptr<Key> key;
};

Root roots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR", nullptr},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU", nullptr},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM", nullptr},
    {HKEY_USERS, "HKEY_USERS", "HKU", nullptr},
};

std::unordered_map<const void *, std::unique_ptr<OpenKey>> openKeys;

std::u16string folded(const std::u16string &s)
{
    std::u16string out(s);
    for (char16_t &c : out)
        if (c >= 'a' && c <= 'z')
            c = (char16_t)(c - 32);
    return out;
}

std::shared_ptr<Key> &rootKey(Root &r)
{
    if (!r.key)
        r.key = std::make_shared<Key>();
    return r.key;
}

// Splits "a\b\c" into its names. A single trailing backslash is allowed; any other empty name
// (leading or doubled backslash) makes the path invalid.
bool splitPath(const std::u16string &path, std::vector<std::u16string> *names)
{
    names->clear();
    std::u16string part;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '\\') {
            part += path[i];
            continue;
        }
        if (part.empty())
            return false;
        names->push_back(folded(part));
        part.clear();
    }
    if (!part.empty())
        names->push_back(folded(part));
    return true;
}

std::shared_ptr<Key> childOf(const std::shared_ptr<Key> &key, const std::u16string &name)
{
    auto it = key->children.find(name);
    return it == key->children.end() ? nullptr : it->second;
}

// The key a setting path names ("HKLM\Software\x"; the current user without a root name),
// created along the way when asked.
std::shared_ptr<Key> keyAtPath(const char *path, bool create)
{
    std::vector<std::u16string> names;
    if (!splitPath(utf16(path ? path : ""), &names))
        return nullptr;
    Root *root = &roots[1];
    if (!names.empty()) {
        for (Root &r : roots) {
            if (names[0] == folded(utf16(r.name)) || names[0] == folded(utf16(r.shortName))) {
                root = &r;
                names.erase(names.begin());
                break;
            }
        }
    }
    std::shared_ptr<Key> key = rootKey(*root);
    for (const std::u16string &name : names) {
        std::shared_ptr<Key> child = childOf(key, name);
        if (!child) {
            if (!create)
                return nullptr;
            child = std::make_shared<Key>();
            key->children[name] = child;
        }
        key = child;
    }
    return key;
}

void store(const char *key, const char *name, DWORD type, std::vector<uint8_t> data)
{
    std::shared_ptr<Key> k = keyAtPath(key, true);
    if (!k)
        return;
    Value &v = k->values[folded(utf16(name ? name : ""))];
    v.type = type;
    v.data = std::move(data);
}

void appendUtf16(std::vector<uint8_t> *out, const char *utf8Text)
{
    for (char16_t c : utf16(utf8Text ? utf8Text : "")) {
        out->push_back((uint8_t)(c & 0xFF));
        out->push_back((uint8_t)(c >> 8));
    }
    out->push_back(0);
    out->push_back(0);
}

void markDeleted(Key &key)
{
    key.deleted = true;
    for (auto &c : key.children)
        markDeleted(*c.second);
}

// The key behind a predefined root or an open key handle; null (with a violation) otherwise.
std::shared_ptr<Key> keyOf(HKEY hKey, const char *api)
{
    for (Root &r : roots)
        if (r.handle == hKey)
            return rootKey(r);
    OpenKey *open = static_cast<OpenKey *>(lookup(hKey, EMU_KEY, api));
    return open ? open->key : nullptr;
}

bool isRoot(HKEY hKey)
{
    for (Root &r : roots)
        if (r.handle == hKey)
            return true;
    return false;
}

std::u16string textOf(LPCWSTR s)
{
    std::u16string out;
    for (size_t i = 0; s && s[i]; ++i)
        out += (char16_t)s[i];
    return out;
}

// Every key below the key and every value, one a line, in name order: "path" for a key, then
// "path\tname\ttype\thex bytes" for each of its values.
void list(const std::string &path, const Key &key, std::string *out)
{
    *out += path + "\n";
    for (const auto &v : key.values) {
        char head[16];
        snprintf(head, sizeof head, "\t%lu\t", (unsigned long)v.second.type);
        *out += path + "\t" + utf8(reinterpret_cast<const WCHAR *>(v.first.c_str())) + head;
        for (uint8_t b : v.second.data) {
            char hex[4];
            snprintf(hex, sizeof hex, "%02x", b);
            *out += hex;
        }
        *out += "\n";
    }
    for (const auto &c : key.children)
        list(path + "\\" + utf8(reinterpret_cast<const WCHAR *>(c.first.c_str())), *c.second, out);
}

std::string listing;

} // namespace

bool registryKeyExists(const std::string &key)
{
    return keyAtPath(key.c_str(), false) != nullptr;
}

bool registryValue(const std::string &key, const std::string &name, DWORD *type, std::vector<uint8_t> *data)
{
    std::shared_ptr<Key> k = keyAtPath(key.c_str(), false);
    if (!k)
        return false;
    auto it = k->values.find(folded(utf16(name.c_str())));
    if (it == k->values.end())
        return false;
    *type = it->second.type;
    *data = it->second.data;
    return true;
}

static void resetRegistry()
{
    openKeys.clear();
    for (Root &r : roots)
        r.key = nullptr;
}

// The device's registry persists across a restart; only the keys processes had open are closed.
static void restartRegistry()
{
    openKeys.clear();
}
const RoomReset registryReset(resetRegistry, restartRegistry);

} // namespace emu

using namespace emu;

extern "C" {

LONG WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY *phkResult)
{
    if (failNow(__func__)) {
        if (phkResult)
            *phkResult = nullptr;
        return ERROR_FILE_NOT_FOUND;
    }
    if (!phkResult)
        return misuse(__func__, "null phkResult", ERROR_INVALID_PARAMETER);
    *phkResult = nullptr;
    std::shared_ptr<Key> key = keyOf(hKey, __func__);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (ulOptions != 0)
        return misuse(__func__, "ulOptions is reserved and must be 0", ERROR_INVALID_PARAMETER);
    // The device does not support access rights: it ignores the mask, which must be 0, and every
    // open key may be queried.
    if (samDesired != 0)
        violation(__func__, "samDesired is not supported on the device and must be 0");
    if (key->deleted)
        return ERROR_KEY_DELETED;
    std::vector<std::u16string> names;
    if (!splitPath(textOf(lpSubKey), &names))
        return ERROR_FILE_NOT_FOUND;
    // A null or empty subkey opens a new handle to the same key.
    for (const std::u16string &name : names) {
        key = childOf(key, name);
        if (!key)
            return ERROR_FILE_NOT_FOUND;
    }
    auto open = std::make_unique<OpenKey>();
    open->key = key;
    HKEY h = static_cast<HKEY>(newHandle(EMU_KEY, open.get()));
    openKeys[h] = std::move(open);
    *phkResult = h;
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData)
{
    if (failNow(__func__))
        return ERROR_FILE_NOT_FOUND;
    std::shared_ptr<Key> key = keyOf(hKey, __func__);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (lpReserved)
        return misuse(__func__, "lpReserved must be null", ERROR_INVALID_PARAMETER);
    if (lpData && !lpcbData)
        return misuse(__func__, "a data buffer without lpcbData", ERROR_INVALID_PARAMETER);
    if (key->deleted)
        return ERROR_KEY_DELETED;
    // A null or empty name is the key's default value.
    auto it = key->values.find(folded(textOf(lpValueName)));
    if (it == key->values.end())
        return ERROR_FILE_NOT_FOUND;
    const Value &v = it->second;
    DWORD size = (DWORD)v.data.size();
    if (lpType)
        *lpType = v.type;
    if (!lpData) {
        if (lpcbData)
            *lpcbData = size;
        return ERROR_SUCCESS;
    }
    // A short buffer receives nothing: only the size it would need.
    if (*lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (size)
        memcpy(lpData, v.data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY hKey)
{
    if (failNow(__func__))
        return ERROR_INVALID_HANDLE;
    // Closing a predefined root is allowed and does nothing.
    if (isRoot(hKey))
        return ERROR_SUCCESS;
    if (!lookup(hKey, EMU_KEY, __func__))
        return ERROR_INVALID_HANDLE;
    freeHandle(hKey);
    openKeys.erase(hKey);
    return ERROR_SUCCESS;
}

void emuRegSetDword(const char *key, const char *name, DWORD value)
{
    std::vector<uint8_t> data(4);
    for (int i = 0; i < 4; ++i)
        data[i] = (uint8_t)(value >> (8 * i));
    store(key, name, REG_DWORD, data);
}

void emuRegSetString(const char *key, const char *name, DWORD type, const char *utf8Text)
{
    std::vector<uint8_t> data;
    appendUtf16(&data, utf8Text);
    store(key, name, type, data);
}

void emuRegSetMultiString(const char *key, const char *name, const char *const *strings, int count)
{
    std::vector<uint8_t> data;
    for (int i = 0; i < count; ++i)
        appendUtf16(&data, strings[i]);
    // The list ends with an empty string; an empty list is two terminators.
    if (count <= 0)
        appendUtf16(&data, "");
    appendUtf16(&data, "");
    store(key, name, REG_MULTI_SZ, data);
}

void emuRegSetRaw(const char *key, const char *name, DWORD type, const void *data, DWORD size)
{
    const uint8_t *b = static_cast<const uint8_t *>(data);
    store(key, name, type, b ? std::vector<uint8_t>(b, b + size) : std::vector<uint8_t>());
}

void emuRegDeleteValue(const char *key, const char *name)
{
    if (std::shared_ptr<Key> k = keyAtPath(key, false))
        k->values.erase(folded(utf16(name ? name : "")));
}

const char *emuRegistryText(void)
{
    listing.clear();
    // A root that holds nothing is left out: it is made when first looked at.
    for (Root &r : roots)
        if (r.key && (!r.key->children.empty() || !r.key->values.empty()))
            list(r.shortName, *r.key, &listing);
    return listing.c_str();
}

void emuRegDeleteKey(const char *key)
{
    std::vector<std::u16string> names;
    if (!splitPath(utf16(key ? key : ""), &names) || names.empty())
        return;
    std::shared_ptr<Key> k = keyAtPath(key, false);
    if (!k)
        return;
    for (Root &r : roots)
        if (r.key == k)
            return; // a root itself is never deleted
    // The parent is the same path without its last name.
    std::string path(key);
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    size_t cut = path.rfind('\\');
    std::shared_ptr<Key> parent = keyAtPath(cut == std::string::npos ? "" : path.substr(0, cut).c_str(), false);
    if (!parent)
        return;
    markDeleted(*k);
    parent->children.erase(names.back());
}

} // extern "C"
