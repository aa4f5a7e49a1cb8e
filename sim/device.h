// The simulated handheld: a fresh emulated platform with the default skin in \Windows, the
// project's host with a deliverable loaded and active, and the screen as a person would see it.
#ifndef KWENO_SIM_DEVICE_H
#define KWENO_SIM_DEVICE_H

#include <memory>
#include <string>
#include <vector>

#include "appview.h"
#include "host.h"
#include "image.h"
#include "keys.h"
#include "server/variants.h"

struct DeviceOptions {
    bool night = false;
    std::string panelPath; // the deliverable: libkweno.so or libkweno_night.so
    std::string skinDir;   // the folder holding KWENO_Resources.dll, seen as \Windows
    std::string fontPath;  // for the application's text; none draws no text
    // Where there are no files (the page): the resource module's bytes, and a glyph table
    // (glyphTable) in place of the font.
    std::vector<uint8_t> skin;
    std::vector<uint8_t> glyphs;
    // The skin's faces are read to tell the mode and the pressed key from the screen, and a skin
    // without them does not start; a person looking at the screen needs neither.
    bool readFaces = true;
};

// The application's title for the variant.
std::string applicationTitle(bool night);
// The glyphs the application's text can need (every character a key or a popup types, and the
// titles), drawn with the font, as a table for DeviceOptions::glyphs. False with a reason.
bool glyphTable(const std::string &fontPath, std::vector<uint8_t> *table, std::string *error);

inline const VariantFacts &variantFacts(bool night)
{
    return VARIANTS[night ? VARIANT_NIGHT : VARIANT_DAY];
}

class Device {
  public:
    Device();
    ~Device();
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    // Resets the platform, loads the skin's faces, loads and activates the panel. False with a
    // reason when any step fails.
    bool start(const DeviceOptions &options, std::string *error);
    // Takes the panel down and unloads it.
    void stop();

    InputPanelHost &host() { return *host_; }
    const DeviceOptions &options() const { return options_; }

    int screenWidth() const;
    int screenHeight() const;
    bool portrait() const { return screenWidth() < screenHeight(); }
    // The panel's window on the screen.
    RECT panelRect() const;
    void rotate(bool landscape);

    // The popup's window on the screen, if the panel shows one: the top-level window above the
    // host's that has the popup's height.
    bool popupRect(RECT *rect) const;
    // Which face the keyboard shows now, found by comparing the screen with the skin's faces.
    Face face() const;
    // The key the keyboard shows pressed, found by comparing the screen with the pressed face: the
    // key under the pen, and while a popup is open the key it belongs to.
    bool pressedKey(KeyRef *key) const;
    // The screen: the emulation's picture with the application drawn where no window covers it.
    Image screen() const;

  private:
    bool loadFaces(std::string *error);

    DeviceOptions options_;
    std::unique_ptr<InputPanelHost> host_;
    AppView view_;
    // The skin's faces as the screen shows them: [pressed][landscape][face], the normal ones of the
    // variant, each as large as its layout.
    std::vector<uint32_t> faces_[2][2][FACE_COUNT];
};

#endif // KWENO_SIM_DEVICE_H
