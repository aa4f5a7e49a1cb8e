// The key table for tests that drive the panel from outside the process (the page's browser
// test): every key's screen point in both orientations, and where each cell of its popup lies as
// the panel places the popup on the simulated handheld.
#include "keytable.h"

#include <cstdio>
#include <deque>
#include <map>

namespace {

POINT centreOf(const Device &device, const KeyRef &ref)
{
    RECT panel = device.panelRect();
    return POINT{panel.left + (ref.rect.left + ref.rect.right) / 2, panel.top + (ref.rect.top + ref.rect.bottom) / 2};
}

// Where to tap on a fresh handheld to bring it from the lower-case face to each face, found by
// tapping mode keys and reading the face off the screen.
std::map<Face, std::vector<POINT>> routesToFaces(const DeviceOptions &options, bool landscape, std::string *error)
{
    Device device;
    std::map<Face, std::vector<POINT>> routes{{Face::Lower, {}}};
    std::deque<Face> waiting{Face::Lower};
    while (!waiting.empty()) {
        Face from = waiting.front();
        waiting.pop_front();
        for (const KeyRef &ref : keysOf(from, !landscape)) {
            if (!isModeKey(*ref.key))
                continue;
            std::vector<POINT> route = routes[from];
            if (!startAt(device, options, landscape, route, error))
                return {};
            route.push_back(centreOf(device, ref));
            device.host().tap(route.back().x, route.back().y);
            if (routes.emplace(device.face(), route).second)
                waiting.push_back(device.face());
        }
    }
    return routes;
}

std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string point(POINT p)
{
    return "[" + std::to_string(p.x) + ", " + std::to_string(p.y) + "]";
}

} // namespace

bool startAt(Device &device, const DeviceOptions &options, bool landscape, const std::vector<POINT> &route,
             std::string *error)
{
    if (!device.start(options, error))
        return false;
    if (landscape)
        device.rotate(true);
    for (POINT p : route)
        device.host().tap(p.x, p.y);
    return true;
}

bool writeKeyTable(const DeviceOptions &options, std::ostream &out, std::string *error)
{
    // Once the routes are known, the faces need not be read off the screen: starts are quicker.
    Device device;
    DeviceOptions quick = options;
    quick.readFaces = false;
    out << "{";
    for (bool landscape : {false, true}) {
        out << (landscape ? ",\n" : "\n") << " \"" << (landscape ? "landscape" : "portrait") << "\": {";
        std::map<Face, std::vector<POINT>> routes = routesToFaces(options, landscape, error);
        if (routes.empty())
            return false;
        for (const auto &route : routes) {
            out << (route.first == routes.begin()->first ? "\n" : ",\n") << "  " << quoted(faceName(route.first))
                << ": {";
            bool first = true;
            if (!startAt(device, quick, landscape, route.second, error))
                return false;
            for (const KeyRef &ref : keysOf(route.first, !landscape)) {
                POINT centre = centreOf(device, ref);
                out << (first ? "\n" : ",\n") << "   " << quoted(keyLabel(*ref.key)) << ": {\"at\": " << point(centre);
                first = false;
                if (popupCellCount(ref) > 0) {
                    // Held past the hold time, the key opens its popup where the panel puts it.
                    device.host().penDown(centre.x, centre.y);
                    device.host().advance(600);
                    RECT popup;
                    if (!device.popupRect(&popup)) {
                        *error = "the popup of " + keyLabel(*ref.key) + " did not open";
                        return false;
                    }
                    out << ", \"popup\": [" << popup.left << ", " << popup.top << ", " << popup.right << ", "
                        << popup.bottom << "], \"cells\": {";
                    for (int cell = 1; cell <= popupCellCount(ref); ++cell)
                        out << (cell > 1 ? ", " : "") << quoted(alternativeLabel(ref.key->alternatives[cell])) << ": "
                            << point(popupCellCentre(ref, popup, cell));
                    out << "}";
                    if (!startAt(device, quick, landscape, route.second, error))
                        return false;
                }
                out << "}";
            }
            out << "\n  }";
        }
        out << "\n }";
    }
    out << "\n}\n";
    return true;
}
