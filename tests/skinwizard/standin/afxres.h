// Stand-in for the class framework's resource header, for the resource compiler: the
// language and version-block names a generated script uses.
#pragma once
#define LANG_ENGLISH 0x09
#define SUBLANG_ENGLISH_US 0x01
#define VS_VERSION_INFO 1
