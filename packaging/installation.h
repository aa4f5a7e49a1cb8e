// What installing a deliverable does to a device, as data: the files a cabinet extracts into the
// install folder and the registry values written with them. The CAB's _setup.xml and a registry
// editor's file are both written from it; a document with no files holds registry settings alone,
// under its install name all the same, so that the device can remove it again.
#ifndef KWENO_PACKAGING_INSTALLATION_H
#define KWENO_PACKAGING_INSTALLATION_H

#include <string>
#include <vector>

#include "server/variants.h"

namespace installation {

// The folder the panel is installed into, as the installer's CE strings name \Windows.
const char INSTALL_FOLDER[] = "%CE2%";

// The install name of every product CAB, whichever variants it holds. The device's installer takes
// a second install under a name it has as an upgrade and removes the first; so a device holds at
// most one of them, and one install ever owns the resource module they all write. No version in
// it: a newer build under another name would install beside the older one.
const char PRODUCT_APP_NAME[] = "kweno input method";
// The install name of the packages that make a variant the current input method: sending another
// replaces the first, and removing it gives back the current input method from before.
const char CURRENT_APP_NAME[] = "kweno as current input method";
// Where the product CABs leave the build's version for a fleet's inventory to read remotely.
const char VERSION_KEY[] = "Software\\kweno";
const char VERSION_VALUE[] = "Version";

enum Root { CLASSES_ROOT, CURRENT_USER, LOCAL_MACHINE };
enum Type { STRING, INTEGER };

struct Value {
    std::string name; // "" for the key's default value
    Type type;
    std::string data; // the text, or a signed 32-bit number in decimal
    // The data is a file name in the install folder, which each document names as its reader knows it.
    bool inFolder;
};

struct Key {
    Root root;
    std::string path; // below the root, its names apart by single backslashes
    std::vector<Value> values;
};

struct File {
    std::string name;                    // as the build names it
    std::string member;                  // in the cabinet
    std::string folder = INSTALL_FOLDER; // as the installer's CE strings name it
};

struct Installation {
    std::string appName;
    std::vector<std::string> purpose; // what it does, line by line, for the registry file's comment
    std::vector<File> files;
    std::vector<Key> keys;
};

// The resource module's file name, from the path the panel loads it by.
std::string resourceModuleName();

// The variants' DLLs and the resource module into \Windows, the class of each through which the
// input-panel host finds the panel, and the version under HKLM\Software\kweno.
Installation ofVariants(const std::vector<const VariantFacts *> &variants, const std::string &version);
Installation ofVariant(const VariantFacts &variant, const std::string &version);

// HKCU\ControlPanel\Sip DefaultIm naming the variant's class: the device's input-panel host selects
// it at the next soft reset.
Installation asCurrentInputMethod(const VariantFacts &variant);

// The wap-provisioningdoc the device's configuration manager applies: a CAB's _setup.xml.
std::string provisioningDocument(const Installation &installation);

// REGEDIT4, as a registry editor imports it.
std::string registryFile(const Installation &installation);

} // namespace installation

#endif // KWENO_PACKAGING_INSTALLATION_H
