// Window classes: registration, unregistration and finding a class by name or atom.
#include "window/window.h"

#include <algorithm>
#include <memory>

namespace emu {
namespace {

const DWORD ERROR_CLASS_HAS_WINDOWS = 1412;

// The class styles Windows CE supports.
const UINT supportedClassStyles = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC | CS_NOCLOSE;

// Registered class atoms come from the range the platform uses for them.
const ATOM firstClassAtom = 0xC000;

std::vector<std::unique_ptr<WindowClass>> classes;
ATOM nextAtom = firstClassAtom;

bool nameMatches(const WindowClass &c, const WCHAR *name)
{
    if (IS_INTRESOURCE(name))
        return c.atom == (ATOM)(ULONG_PTR)name;
    std::vector<WCHAR> stored(c.name.begin(), c.name.end());
    stored.push_back(0);
    return wideEqualNoCase(stored.data(), name);
}

std::string nameOf(const WindowClass &c)
{
    std::vector<WCHAR> stored(c.name.begin(), c.name.end());
    stored.push_back(0);
    return utf8(stored.data());
}

WindowClass *findClass(const WCHAR *name, HINSTANCE instance, bool anyInstance)
{
    for (auto &c : classes)
        if (nameMatches(*c, name) && (anyInstance || c->instance == instance))
            return c.get();
    return nullptr;
}

} // namespace

// A window of a class made by another module of the process is still found, as the platform finds
// the process's classes whatever instance handle CreateWindowExW is given.
WindowClass *classForCreate(const WCHAR *name, HINSTANCE instance)
{
    WindowClass *c = findClass(name, instance, false);
    return c ? c : findClass(name, instance, true);
}

static void resetClasses()
{
    classes.clear();
    nextAtom = firstClassAtom;
}
const RoomReset classesReset(resetClasses);

} // namespace emu

using namespace emu;

extern "C" {

ATOM WINAPI RegisterClassW(const WNDCLASSW *lpWndClass)
{
    if (failNow(__func__))
        return failed(ERROR_NOT_ENOUGH_MEMORY, 0);
    if (!lpWndClass || !lpWndClass->lpszClassName || IS_INTRESOURCE(lpWndClass->lpszClassName) ||
        !lpWndClass->lpfnWndProc || lpWndClass->cbClsExtra < 0 || lpWndClass->cbWndExtra < 0)
        return misuse(__func__, "no class record, no class name string, no window procedure or negative extra bytes",
                      ERROR_INVALID_PARAMETER, 0);
    if (lpWndClass->lpszMenuName)
        return misuse(__func__, "class menus are not supported on the device (lpszMenuName must be null)",
                      ERROR_INVALID_PARAMETER, 0);
    if (lpWndClass->style & ~supportedClassStyles)
        return misuse(__func__,
                      "class styles other than CS_VREDRAW, CS_HREDRAW, CS_DBLCLKS, CS_PARENTDC and "
                      "CS_NOCLOSE are not supported on the device",
                      ERROR_INVALID_PARAMETER, 0);
    // Classes belong to the process: a name is taken whatever instance registered it.
    if (findClass(lpWndClass->lpszClassName, lpWndClass->hInstance, true))
        return failed(ERROR_CLASS_ALREADY_EXISTS, 0);
    if (nextAtom == 0)
        return failed(ERROR_NOT_ENOUGH_MEMORY, 0);
    auto c = std::make_unique<WindowClass>();
    c->atom = nextAtom++;
    c->name = copyWide(lpWndClass->lpszClassName);
    c->instance = lpWndClass->hInstance;
    c->proc = lpWndClass->lpfnWndProc;
    c->style = lpWndClass->style;
    c->classExtra = lpWndClass->cbClsExtra;
    c->windowExtra = lpWndClass->cbWndExtra;
    c->handle = newHandle(EMU_CLASS, c.get());
    ATOM atom = c->atom;
    classes.push_back(std::move(c));
    return atom;
}

BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance)
{
    (void)hInstance; // ignored on the device: a class is found by its name alone
    if (failNow(__func__))
        return FALSE;
    if (!lpClassName)
        return misuse(__func__, "null class name", ERROR_INVALID_PARAMETER, FALSE);
    auto it = std::find_if(classes.begin(), classes.end(),
                           [&](const std::unique_ptr<WindowClass> &c) { return nameMatches(*c, lpClassName); });
    // Unregistering a class that is not registered is an ordinary failure, not a misuse.
    if (it == classes.end())
        return failed(ERROR_CLASS_DOES_NOT_EXIST, FALSE);
    if ((*it)->windows > 0)
        return misuse(__func__, "windows of the class \"" + nameOf(**it) + "\" still exist", ERROR_CLASS_HAS_WINDOWS,
                      FALSE);
    freeHandle((*it)->handle);
    classes.erase(it);
    return TRUE;
}

} // extern "C"
