/* Control API of the platform emulation, for hosts and tests. Not a platform interface: nothing
 * in the panel calls these. Strings are UTF-8 here; the platform functions take UTF-16. */
#ifndef EMU_EMU_H
#define EMU_EMU_H

#include <stddef.h>

#include <windows.h>
#include <commctrl.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A fresh platform: no windows, classes, DCs, bitmaps, modules, files or keys; no mapped folders; an
 * empty registry; clock 0; screen 480x640 (portrait) at 16 bits per pixel; no failures armed;
 * violations and counters cleared. Objects still alive are dropped without violations. */
WINAPI_EXPORT void emuReset(void);

/* ---- time ---- */
WINAPI_EXPORT void emuSetTickCount(DWORD tick);
/* Moves the virtual clock forward by ms, firing every timer that falls due on the way, in due
 * order, each as a WM_TIMER dispatched at its due time (pumping until idle after each). */
WINAPI_EXPORT void emuAdvance(DWORD ms);

/* ---- messages ---- */
/* Dispatches posted messages and pending WM_PAINTs until none is left; returns how many. */
WINAPI_EXPORT int emuPump(void);

/* ---- pen (screen coordinates); each call posts the message and pumps until idle ---- */
WINAPI_EXPORT void emuPenDown(int x, int y);
WINAPI_EXPORT void emuPenMove(int x, int y);
WINAPI_EXPORT void emuPenUp(int x, int y);
/* A pointer moving with no button down (WM_MOUSEMOVE without MK_LBUTTON), as a mouse does on its
 * way to a point and again after a window under it appears or goes; a stylus never does. */
WINAPI_EXPORT void emuHover(int x, int y);

/* ---- screen ---- */
WINAPI_EXPORT void emuSetScreenSize(int width, int height);
/* Sets the screen size and sends WM_SETTINGCHANGE(SETTINGCHANGE_RESET, 0) to every top-level window,
 * as the system does; child windows hear of it only from their host. */
WINAPI_EXPORT void emuRotate(int width, int height);
WINAPI_EXPORT int emuScreenWidth(void);
WINAPI_EXPORT int emuScreenHeight(void);
/* 0x00RRGGBB of a screen pixel; 0 outside the screen. */
WINAPI_EXPORT DWORD emuScreenPixel(int x, int y);
/* Writes the whole screen as a PNG; non-zero on success. */
WINAPI_EXPORT int emuScreenshot(const char *pngPath);
/* The display's depth: 16 bits per pixel (5-6-5) after a reset, as on the Windows Mobile 6 VGA
 * handhelds, so that the screen, window DCs and compatible bitmaps keep only what such a display
 * keeps; 24 or 32 keep 24-bit colour. Every window on screen is repainted. Non-zero on success. */
WINAPI_EXPORT int emuSetScreenDepth(int bits);
WINAPI_EXPORT int emuScreenDepth(void);
/* Paints the whole screen with one colour (the desktop behind all windows). */
WINAPI_EXPORT void emuSetDesktopColour(DWORD rgb);

/* ---- registry (HKEY_CURRENT_USER unless the path starts with another root name) ---- */
WINAPI_EXPORT void emuRegSetDword(const char *key, const char *name, DWORD value);
WINAPI_EXPORT void emuRegSetString(const char *key, const char *name, DWORD type, const char *utf8);
/* strings: count UTF-8 strings; stored as REG_MULTI_SZ with the final double terminator. */
WINAPI_EXPORT void emuRegSetMultiString(const char *key, const char *name, const char *const *strings, int count);
/* Any type, any bytes, any length (also odd or unterminated data). */
WINAPI_EXPORT void emuRegSetRaw(const char *key, const char *name, DWORD type, const void *data, DWORD size);
WINAPI_EXPORT void emuRegDeleteValue(const char *key, const char *name);
WINAPI_EXPORT void emuRegDeleteKey(const char *key);
/* The whole registry as text, to compare it before and after: every key ("HKCR\\CLSID", names in
 * upper case) and below it each value ("key<TAB>NAME<TAB>type<TAB>hex bytes"), one a line, in name
 * order. Valid until the next call. */
WINAPI_EXPORT const char *emuRegistryText(void);

/* ---- the device's file system: its own files (put there by emuRegisterModule or an installed
 * cabinet), then mapped host folders; names match without regard to case; all gone after a reset ---- */
/* Maps a CE folder ("\\Windows") to a host folder; paths below it are looked up there. */
WINAPI_EXPORT void emuMapFolder(const char *ceFolder, const char *hostFolder);
/* Puts a file (a PE image, for modules) at a CE path, copied, replacing one there; it takes
 * precedence over a mapped folder. */
WINAPI_EXPORT void emuRegisterModule(const char *cePath, const void *bytes, size_t size);
WINAPI_EXPORT void emuUnregisterModule(const char *cePath);
/* The size of the file at a CE path, as LoadLibraryExW finds it, and its first size bytes copied to
 * buffer (which may be null); -1 when there is no such file. */
WINAPI_EXPORT long long emuReadFile(const char *cePath, void *buffer, size_t size);
/* Whether a CE folder exists: the root, the shell's folders (\Windows and the others the CE strings
 * name), folders an installer made or that hold the device's files, mapped folders and the host
 * folders below them. */
WINAPI_EXPORT int emuFolderExists(const char *ceFolder);

/* ---- the device's installer ---- */
/* Installs a cabinet as Windows Mobile 5 and 6 do: its _setup.xml, a wap-provisioningdoc, is
 * applied as the configuration manager applies it (the Install, FileOperation and Registry
 * characteristics the emulation's README describes). Everything is checked before anything is
 * done, so a cabinet is installed whole or not at all. Returns EMU_INSTALLED when installed,
 * EMU_RESTART_REQUIRED when installed but a file that a loaded module holds waits for the next
 * restart (emuSoftReset) to take its place, the device's sentence saying so in problem; 0 when
 * refused, with the reason in problem (UTF-8, "" on success, cut to problemSize), for instance
 * "_setup.xml line 12: unknown characteristic \"Shortcut\"". Cabinets, and what one installs
 * together, are limited to 64 MiB.
 * Each install is kept under its AppName with a record of what it did: the files written, the
 * folders and registry keys made, each value's old contents. A cabinet whose AppName is installed
 * already is an upgrade: the old install is removed first (emuUninstall), once the new one has
 * been checked whole. */
#define EMU_INSTALLED 1
#define EMU_RESTART_REQUIRED 2
WINAPI_EXPORT int emuInstallCab(const char *hostPath, char *problem, size_t problemSize);
/* The same for a cabinet in memory. */
WINAPI_EXPORT int emuInstallCabBytes(const void *bytes, size_t size, char *problem, size_t problemSize);
/* Removes the install of that AppName (any letter case) as Remove Programs or an UnInstall
 * characteristic does: its record replayed in reverse, each value it set given back its old
 * contents (or deleted), the keys and folders it made deleted, every file it wrote removed, even
 * one that another install wrote too (the device counts no sharing). A file in use goes at the next
 * restart. EMU_INSTALLED (removed), EMU_RESTART_REQUIRED, or 0 when no install has the name. */
WINAPI_EXPORT int emuUninstall(const char *appName, char *problem, size_t problemSize);
/* The AppName of the nth install kept (0 the oldest); null past the last. */
WINAPI_EXPORT const char *emuInstalledApp(int n);

/* ---- the device's restart ---- */
/* A soft reset: every process ends and what they made goes without messages or violations
 * (windows, classes, DCs, bitmaps, image lists, open keys, timers, the pen's capture, the heap of
 * images of code), every module is unloaded without its detach notification, the clock starts at 0
 * again and the screen is as after emuReset; then the files that waited for the restart take their
 * places. The device's files and folders, the mapped folders, the registry and the installs' records
 * stay, as do violations, armed failures and call counts. A host that stands for a process must be
 * gone before (its objects are no more). */
WINAPI_EXPORT void emuSoftReset(void);

/* ---- modules of code: the loader ---- */
/* Why the last LoadLibraryW or LoadLibraryExW failed, in a sentence naming what was wrong (the
 * import the platform lacks, the machine type, the malformed part); "" after a success. */
WINAPI_EXPORT const char *emuLastLoadProblem(void);
/* Images of code mapped now (DLLs loaded without LOAD_LIBRARY_AS_DATAFILE). */
WINAPI_EXPORT int emuMappedImages(void);
/* Makes later loads bind an image's import of the named function to the platform's export boundTo
 * instead (null: its own again), to show that a wrongly bound import fails the tests. A reset
 * forgets it. */
WINAPI_EXPORT void emuRebindImport(const char *name, const char *boundTo);

/* ---- modules of code linked into the program ---- */
/* Where nothing can be loaded at run time (the WebAssembly build), a DLL's code is linked into the
 * program and named here by its file name ("kweno.dll"): LoadLibraryW of a path of that name then
 * loads it as the device's loader loads the DLL (one module of a name, counted; its entry point
 * called with DLL_PROCESS_ATTACH at the first load and DLL_PROCESS_DETACH at the last free), and
 * GetProcAddressW finds the exports listed (ended by a null name). It comes before the device's
 * files. Naming a module again replaces it; a reset keeps them all, as the program keeps its code. */
typedef BOOL(WINAPI *EmuEntryPoint)(HINSTANCE module, DWORD reason, LPVOID reserved);
typedef struct EmuLinkedExport {
    const char *name;
    FARPROC address;
} EmuLinkedExport;
WINAPI_EXPORT void emuLinkModule(const char *fileName, EmuEntryPoint entryPoint, const EmuLinkedExport *exports);

/* The heap of images of code: the bytes their calls of COREDLL's malloc asked for, in blocks not
 * yet given back to its free. */
typedef struct EmuHeap {
    long long liveBytes;
    int liveBlocks;
    long long highWater; /* the most liveBytes has been since the last reset or emuResetHeapHighWater */
} EmuHeap;
WINAPI_EXPORT void emuHeapState(EmuHeap *out);
/* Starts the high-water mark afresh from the bytes live now. */
WINAPI_EXPORT void emuResetHeapHighWater(void);

/* ---- resource modules, for tools that check them ---- */
/* What the headers of a module file say, read by the same reader as LoadLibraryExW. */
typedef struct EmuModuleFile {
    int isModule;     /* the loader accepts it as a data file */
    char problem[96]; /* why not */
    unsigned long long fileSize;
    unsigned long long sectionsEnd; /* where its sections' data ends: beyond fileSize, it is truncated */
    int resources;                  /* resources indexed */
    unsigned machine;               /* COFF machine type (0x1C0 ARM, 0x14C i386) */
    unsigned subsystem;             /* 9: Windows CE GUI */
    unsigned timeStamp;
    unsigned entryPoint; /* relative address; 0 for none */
    int relocations;     /* a base-relocation directory is present */
    /* Its version resource, as the device's file properties show it: whether there is one, the
     * fixed part's file and product versions ("1.0.0.0"), and its string table's FileVersion,
     * ProductVersion, ProductName and FileDescription; "" for what it lacks. */
    int hasVersion;
    char fileVersion[24];
    char productVersion[24];
    char fileVersionText[32];
    char productVersionText[32];
    char productName[64];
    char fileDescription[96];
} EmuModuleFile;
WINAPI_EXPORT void emuInspectModuleFile(const void *bytes, size_t size, EmuModuleFile *out);

/* What the shell's image loader finds for an id in a loaded module, and why it gives no bitmap. */
typedef struct EmuImageResource {
    int imageFile;     /* a resource of the id stands under the type "GIF" */
    int bitmap;        /* an RT_BITMAP of the id stands in the module (the shell's loader ignores it) */
    int cutOff;        /* a "GIF" or RT_BITMAP entry of the id stands in the module, but the file ends
                          inside its data */
    size_t size;       /* bytes of the "GIF" resource */
    char format[8];    /* "PNG", "GIF", "JPEG", "BMP" or "unknown" */
    int width, height; /* as far as its header could be read */
    int frames;        /* pictures in the file (an animated GIF has several; the first is shown) */
    int transparent;   /* some pixel is not opaque: the loader shows it black */
    int decodes;       /* the loader gives a bitmap for it */
    char problem[96];  /* why it does not decode */
} EmuImageResource;
/* 0 (and a violation) for a bad module handle, else 1. */
WINAPI_EXPORT int emuInspectImageResource(HMODULE module, unsigned id, EmuImageResource *out);

/* ---- processes: CreateProcessW is recorded, never executed ---- */
WINAPI_EXPORT int emuProcessCount(void);
/* UTF-8 copies of the nth recorded call's program and argument string ("" for null); flags. */
WINAPI_EXPORT const char *emuProcessProgram(int n);
WINAPI_EXPORT const char *emuProcessArguments(int n);
WINAPI_EXPORT DWORD emuProcessFlags(int n);
WINAPI_EXPORT void emuClearProcesses(void);

/* ---- fault injection ---- */
/* Makes the nth call from now (1 = the next) of the named platform function fail as Windows
 * fails it. Several may be armed at once. */
WINAPI_EXPORT void emuFailCall(const char *function, int nth);
WINAPI_EXPORT void emuClearFailures(void);
/* How often the named platform function has been called since the last reset. */
WINAPI_EXPORT int emuCallCount(const char *function);
/* How many calls of all platform functions together have been made since the last reset. */
WINAPI_EXPORT long long emuCallTotal(void);

/* ---- live objects and work done ---- */
enum EmuKind {
    EMU_WINDOW,
    EMU_CLASS,
    EMU_DC,     /* memory DCs and window DCs not yet released */
    EMU_BITMAP, /* bitmaps created or loaded, stock bitmaps excluded */
    EMU_IMAGELIST,
    EMU_MODULE, /* modules loaded as data files */
    EMU_KEY,    /* open registry keys */
    EMU_KIND_COUNT
};
WINAPI_EXPORT int emuLiveCount(int kind);
/* Records a violation for every live object of the given kinds (bit mask of 1 << EmuKind) made
 * since the mark; returns how many. Lets a host state that the panel holds nothing now. */
WINAPI_EXPORT int emuMark(void);
WINAPI_EXPORT int emuCheckNoneAliveSince(int mark, int kinds, const char *context);

enum EmuBlit { EMU_BITBLT, EMU_STRETCHBLT };
/* Destination pixels written by each kind of blit since the last reset (after clipping). */
WINAPI_EXPORT long long emuPixelsCopied(int blitKind);
WINAPI_EXPORT void emuClearPixelCounts(void);

/* ---- violations: what Windows tolerates but is a bug ---- */
WINAPI_EXPORT int emuViolationCount(void);
/* "Function: what was wrong" of the nth violation. */
WINAPI_EXPORT const char *emuViolation(int n);
WINAPI_EXPORT void emuClearViolations(void);

/* ---- bitmaps, for tools and tests ---- */
/* The nth live bitmap (0 the oldest; stock bitmaps are not counted), as GetObjectW describes it:
 * its size, bits per pixel and bytes per row, so that a host can add up the bytes it holds.
 * 0 past the last. */
WINAPI_EXPORT int emuLiveBitmap(int n, BITMAP *out);
/* 0x00RRGGBB of a pixel of a bitmap; 0xFFFFFFFF for a bad handle or a point outside. */
WINAPI_EXPORT DWORD emuBitmapPixel(HBITMAP bitmap, int x, int y);

/* ---- image lists, for tests ---- */
/* What an image list holds for a pixel of one of its images: 0x00RRGGBB where the image is opaque,
 * EMU_TRANSPARENT where its mask lets the background through; 0xFFFFFFFF for a bad handle, image
 * index or point. */
#define EMU_TRANSPARENT 0xFF000000u
WINAPI_EXPORT DWORD emuImageListPixel(HIMAGELIST imageList, int image, int x, int y);

#ifdef __cplusplus
}
#endif

#endif /* EMU_EMU_H */
