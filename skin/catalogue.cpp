// The panel's image set, derived from the layout tables and the image id rules.
#include "catalogue.h"

#include <cstdio>

#include "keys.h"
#include "surface/imageids.h"
#include "text.h"

namespace skin {

const char *pictureName(Picture picture)
{
    switch (picture) {
    case PICTURE_PRESSED:
        return "pressed";
    case PICTURE_DAY:
        return "day";
    default:
        return "night";
    }
}

std::vector<FaceEntry> allFaces()
{
    std::vector<FaceEntry> faces;
    for (int mode = 0; mode < LAYOUT_MODES; ++mode) {
        const ModeLayouts &m = modeLayouts[mode];
        for (int portrait = 1; portrait >= 0; --portrait) {
            FaceEntry face;
            face.mode = mode;
            face.modeName = faceName(static_cast<Face>(mode));
            face.portrait = portrait != 0;
            face.layout = portrait ? m.portrait : m.landscape;
            face.rows = *(portrait ? m.portraitRows : m.landscapeRows);
            face.width = portrait ? PORTRAIT_WIDTH : LANDSCAPE_WIDTH;
            face.height = portrait ? PORTRAIT_HEIGHT : LANDSCAPE_HEIGHT;
            face.pressedId = pressedFaceId((DWORD)mode, portrait);
            faces.push_back(face);
        }
    }
    return faces;
}

std::vector<const KeyRecord *> alternativesLists()
{
    std::vector<const KeyRecord *> lists;
    for (const ModeLayouts &m : modeLayouts) {
        for (const KeyboardLayout *layout : {m.portrait, m.landscape}) {
            for (int row = 0; row < ROW_COUNT; ++row) {
                for (const KeyRecord *key = (*layout)[row]; !isSentinel(*key); ++key) {
                    if (!key->alternatives)
                        continue;
                    bool known = false;
                    for (const KeyRecord *list : lists)
                        known = known || list == key->alternatives;
                    if (!known)
                        lists.push_back(key->alternatives);
                }
            }
        }
    }
    return lists;
}

LONG normalImageId(LONG pressedId, Variant variant)
{
    return pressedId + VARIANTS[variant].normalImageOffset;
}

UINT panelIconId(Variant variant)
{
    return VARIANTS[variant].panelIconId;
}

LONG pictureId(LONG pressedId, Picture picture)
{
    if (picture == PICTURE_PRESSED)
        return pressedId;
    return normalImageId(pressedId, picture == PICTURE_NIGHT ? VARIANT_NIGHT : VARIANT_DAY);
}

std::vector<ImageEntry> allImages()
{
    static const Picture pictures[] = {PICTURE_PRESSED, PICTURE_DAY, PICTURE_NIGHT};
    std::vector<ImageEntry> entries;
    for (const FaceEntry &face : allFaces()) {
        for (Picture picture : pictures) {
            ImageEntry entry = {};
            entry.id = pictureId(face.pressedId, picture);
            entry.kind = IMAGE_FACE;
            entry.picture = picture;
            const char *orientation = face.portrait ? "portrait" : "landscape";
            entry.name = std::string("face-") + face.modeName + "-" + orientation + "-" + pictureName(picture);
            entry.description = std::string(face.modeName) + " " + orientation + " face, " + pictureName(picture);
            entry.width = face.width;
            entry.height = face.height;
            entry.face = face;
            entries.push_back(entry);
        }
    }
    for (const KeyRecord *list : alternativesLists()) {
        for (Picture picture : pictures) {
            ImageEntry entry = {};
            entry.id = pictureId((LONG)list[0].flags, picture);
            entry.kind = IMAGE_POPUP;
            entry.picture = picture;
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%04X", (unsigned)list[0].flags);
            entry.name = std::string("popup-") + hex + "-" + pictureName(picture);
            entry.description = "popup of " + describeCharacter(popupOwnerCharacter(list)) + ", " +
                                (picture == PICTURE_PRESSED ? "highlighted" : pictureName(picture));
            entry.width = (int)popupWidth(list);
            entry.height = (int)POPUP_HEIGHT;
            entry.list = list;
            entries.push_back(entry);
        }
    }
    for (Variant variant : {VARIANT_DAY, VARIANT_NIGHT}) {
        ImageEntry entry = {};
        entry.id = (LONG)panelIconId(variant);
        entry.kind = IMAGE_ICON;
        entry.picture = variant == VARIANT_NIGHT ? PICTURE_NIGHT : PICTURE_DAY;
        entry.name = std::string("icon-") + VARIANTS[variant].shortName;
        entry.description = std::string("panel icon, ") + VARIANTS[variant].shortName;
        entry.width = ICON_SIZE;
        entry.height = ICON_SIZE;
        entries.push_back(entry);
    }
    return entries;
}

bool usedBy(const ImageEntry &entry, Variant variant)
{
    return entry.picture == PICTURE_PRESSED || (entry.picture == PICTURE_NIGHT) == (variant == VARIANT_NIGHT);
}

uint32_t popupOwnerCharacter(const KeyRecord *list)
{
    // The default alternative is the owning key's own copy.
    UINT index = list[0].character;
    for (UINT i = 1; i <= index; ++i) {
        if (isSentinel(list[i]))
            return 0;
    }
    return list[index].character;
}

std::string describeCharacter(uint32_t c)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", (unsigned)c);
    if (c < 0x21 || (c >= 0x7F && c < 0xA0))
        return code;
    return std::string(code) + " " + utf8Of(c);
}

} // namespace skin
