// The interactive mode: an SDL2 window showing the emulated screen, refreshed as it changes; the
// mouse drives the host's pen and the virtual clock follows real time.
#include "interactive.h"

#include <string>

#include "runner.h"

#ifdef KWENO_SIM_SDL

#include <SDL.h>

bool interactiveAvailable()
{
    return true;
}

namespace {

// The window and what it shows, remade when the screen turns.
class Window {
  public:
    ~Window() { destroy(); }

    bool create(const char *title, int width, int height, int scale, std::ostream &log)
    {
        scale_ = scale;
        window_ =
            SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * scale, height * scale, 0);
        if (!window_) {
            log << "kweno-sim: cannot open a window: " << SDL_GetError() << "\n";
            return false;
        }
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_)
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) {
            log << "kweno-sim: cannot draw in the window: " << SDL_GetError() << "\n";
            return false;
        }
        return resize(width, height);
    }

    bool resize(int width, int height)
    {
        if (texture_)
            SDL_DestroyTexture(texture_);
        SDL_SetWindowSize(window_, width * scale_, height * scale_);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
        width_ = width;
        height_ = height;
        return texture_ != nullptr;
    }

    void show(const Image &screen)
    {
        if (screen.width != width_ || screen.height != height_)
            resize(screen.width, screen.height);
        SDL_UpdateTexture(texture_, nullptr, screen.pixels.data(), screen.width * 4);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
    }

    // A window point as a screen point of the handheld.
    POINT toScreen(int x, int y) const { return POINT{x / scale_, y / scale_}; }

  private:
    void destroy()
    {
        if (texture_)
            SDL_DestroyTexture(texture_);
        if (renderer_)
            SDL_DestroyRenderer(renderer_);
        if (window_)
            SDL_DestroyWindow(window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        window_ = nullptr;
    }

    SDL_Window *window_ = nullptr;
    SDL_Renderer *renderer_ = nullptr;
    SDL_Texture *texture_ = nullptr;
    int width_ = 0, height_ = 0, scale_ = 1;
};

// Feeds one SDL event to the handheld; false when the session should end.
bool handleEvent(const SDL_Event &event, Device &device, Window &window, bool *penDown)
{
    InputPanelHost &host = device.host();
    switch (event.type) {
    case SDL_QUIT:
        return false;
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_ESCAPE || event.key.keysym.sym == SDLK_q)
            return false;
        // The screen turns only while the pen is up, as a person turns the device.
        if (event.key.keysym.sym == SDLK_r && !*penDown)
            device.rotate(device.portrait());
        return true;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT && !*penDown) {
            POINT p = window.toScreen(event.button.x, event.button.y);
            *penDown = true;
            SDL_CaptureMouse(SDL_TRUE);
            host.penDown(p.x, p.y);
        }
        return true;
    case SDL_MOUSEMOTION:
        if (*penDown) {
            POINT p = window.toScreen(event.motion.x, event.motion.y);
            host.penMove(p.x, p.y);
        }
        return true;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT && *penDown) {
            POINT p = window.toScreen(event.button.x, event.button.y);
            *penDown = false;
            SDL_CaptureMouse(SDL_FALSE);
            host.penUp(p.x, p.y);
        }
        return true;
    default:
        return true;
    }
}

} // namespace

int runInteractive(const DeviceOptions &options, int scale, std::ostream &log)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        log << "kweno-sim: no display for the window: " << SDL_GetError() << "\n";
        return 2;
    }
    // Without a display SDL falls back to drivers that show nothing; a window nobody sees is no use.
    std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if (driver == "offscreen" || driver == "dummy" || driver == "evdev") {
        log << "kweno-sim: no display for the window (SDL found only its \"" << driver
            << "\" driver); run it on a desktop, or set DISPLAY\n";
        SDL_Quit();
        return 2;
    }
    Device device;
    std::string error;
    if (!device.start(options, &error)) {
        log << "kweno-sim: " << error << "\n";
        SDL_Quit();
        return 2;
    }
    int status = 0;
    {
        Window window;
        std::string title = std::string("kweno-sim (") + variantFacts(options.night).shortName + ")";
        if (!window.create(title.c_str(), device.screenWidth(), device.screenHeight(), scale, log)) {
            status = 2;
        } else {
            log << "kweno-sim: " << variantFacts(options.night).shortName
                << " variant; the mouse is the stylus, R turns the screen, Escape or Q ends\n";
            log.flush();
            bool penDown = false;
            bool running = true;
            Uint32 last = SDL_GetTicks();
            std::string text = device.host().text();
            while (running) {
                SDL_Event event;
                while (running && SDL_PollEvent(&event))
                    running = handleEvent(event, device, window, &penDown);
                // The panel's timers run on the virtual clock, which follows the wall clock here.
                Uint32 now = SDL_GetTicks();
                device.host().advance(now - last);
                last = now;
                if (device.host().text() != text) {
                    text = device.host().text();
                    log << "text: \"" << visibleText(text) << "\"\n";
                    log.flush();
                }
                window.show(device.screen());
                SDL_Delay(10);
            }
            log << "kweno-sim: final text \"" << visibleText(device.host().text()) << "\"\n";
        }
    }
    device.stop();
    SDL_Quit();
    return status;
}

#else

bool interactiveAvailable()
{
    return false;
}

int runInteractive(const DeviceOptions &, int, std::ostream &log)
{
    log << "kweno-sim: this build has no interactive mode: SDL2 was not found when it was configured.\n"
           "Install libsdl2-dev and configure and build again; the scripted mode works without it.\n";
    return 2;
}

#endif
