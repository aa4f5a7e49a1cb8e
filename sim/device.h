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

struct DeviceOptions {
    bool night = false;
    std::string panelPath; // the deliverable: libkweno.so or libkweno_night.so
    std::string skinDir;   // the folder holding KWENO_Resources.dll, seen as \Windows
    std::string fontPath;  // for the application's text; none draws no text
};

// "day" or "night", and the deliverable's class identifier.
const char *variantName(bool night);
const char *variantClsid(bool night);

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
    // The screen: the emulation's picture with the application drawn where no window covers it.
    Image screen() const;

  private:
    bool loadFaces(std::string *error);

    DeviceOptions options_;
    std::unique_ptr<InputPanelHost> host_;
    AppView view_;
    // The normal faces of the variant: [landscape][face], each as large as its layout.
    std::vector<uint32_t> faces_[2][FACE_COUNT];
};

#endif // KWENO_SIM_DEVICE_H
