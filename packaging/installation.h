// What installing a deliverable does to a device, as data: the files a cabinet extracts into the
// install folder and the registry values written with them. The CAB's _setup.xml and a registry
// editor's file are both written from it; a document with no files holds registry settings alone.
#ifndef KWENO_PACKAGING_INSTALLATION_H
#define KWENO_PACKAGING_INSTALLATION_H

#include <string>
#include <vector>

#include "server/variants.h"

namespace installation {

// The folder the panel is installed into, as the installer's CE strings name \Windows.
const char INSTALL_FOLDER[] = "%CE2%";

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

// The deliverable's DLL and the resource module into \Windows, and the class through which the
// input-panel host finds the panel.
Installation ofVariant(const VariantFacts &variant);

// The wap-provisioningdoc the device's configuration manager applies: a CAB's _setup.xml.
std::string provisioningDocument(const Installation &installation);

// REGEDIT4, as a registry editor imports it.
std::string registryFile(const Installation &installation);

} // namespace installation

#endif // KWENO_PACKAGING_INSTALLATION_H
