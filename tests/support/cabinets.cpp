// Cabinets made in tests with Debian's gcab.
#include "testfiles.h"
#include "cabinets.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cabinets {

const char daySetup[] = R"(<?xml version="1.0" encoding="utf-8"?>
<wap-provisioningdoc>
  <characteristic type="Install">
    <parm name="InstallPhase" value="install" />
    <parm name="AppName" value="kweno" />
    <parm name="InstallDir" value="%CE2%" translation="install" />
    <parm name="NumDirs" value="1" />
    <parm name="NumFiles" value="2" />
    <parm name="NumRegKeys" value="4" />
    <parm name="NumRegVals" value="4" />
    <parm name="NumShortcuts" value="0" />
  </characteristic>
  <characteristic type="FileOperation">
    <characteristic type="%CE2%" translation="install">
      <characteristic type="MakeDir" />
      <characteristic type="kweno.dll" translation="install">
        <characteristic type="Extract">
          <parm name="Source" value="KWENO.001" />
        </characteristic>
      </characteristic>
      <characteristic type="KWENO_Resources.dll" translation="install">
        <characteristic type="Extract">
          <parm name="Source" value="KWENO.002" />
        </characteristic>
      </characteristic>
    </characteristic>
  </characteristic>
  <characteristic type="Registry">
    <characteristic type="HKCR\CLSID\{91C40DFC-6B41-456F-A2E4-4AA7363198B7}">
      <parm name="" value="kweno" datatype="string" />
    </characteristic>
    <characteristic type="HKCR\CLSID\{91C40DFC-6B41-456F-A2E4-4AA7363198B7}\InprocServer32">
      <parm name="" value="%CE2%\kweno.dll" datatype="string" translation="install" />
    </characteristic>
    <characteristic type="HKCR\CLSID\{91C40DFC-6B41-456F-A2E4-4AA7363198B7}\IsSIPInputMethod">
      <parm name="" value="1" datatype="string" />
    </characteristic>
    <characteristic type="HKCR\CLSID\{91C40DFC-6B41-456F-A2E4-4AA7363198B7}\DefaultIcon">
      <parm name="" value="%CE2%\kweno.dll,0" datatype="string" translation="install" />
    </characteristic>
  </characteristic>
</wap-provisioningdoc>
)";

std::string make(const char *setupXml, const Members &members)
{
    static int made = 0;
    std::string folder = ::testing::TempDir() + "kweno_cab_" + std::to_string(getpid()) + "_" + std::to_string(++made);
    if (mkdir(folder.c_str(), 0700) != 0)
        return "";
    Members all = members;
    if (setupXml)
        all.emplace_back("_setup.xml", Bytes(setupXml, setupXml + strlen(setupXml)));
    // -n: members are named without the folder, as the device build names them.
    std::string command = GCAB_PROGRAM " -c -z -n '" + folder + ".cab'";
    for (const auto &m : all) {
        EXPECT_TRUE(testfiles::write(folder + "/" + m.first, m.second)) << folder << "/" << m.first;
        command += " '" + folder + "/" + m.first + "'";
    }
    int status = std::system((command + "; status=$?; rm -r '" + folder + "'; exit $status").c_str());
    return status == 0 ? folder + ".cab" : "";
}

} // namespace cabinets
