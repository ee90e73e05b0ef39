#!/usr/bin/env bash
# Turns an existing Wine prefix (scripts/make-prefix.sh DIR) into a sample developer machine:
# Visual C++ 6.0 with its MSDN help collection, Visual Studio .NET 2003 and Visual Studio 2005
# (Visual Studio .NET stays absent), and the Tessaline library installed beside them.
# Registry values go in through `wine reg add`, as the installers would have put them: HKLM
# through /reg:32, since both installers are 32-bit programs and so write the 32-bit view of a
# 64-bit prefix.
#
# Usage: scripts/sample-prefix.sh DIR
# Prints the library's install folder (Windows form) on standard output.
set -euo pipefail
# A step that fails ends the script; say which, since some steps are quiet about it.
trap 'echo "sample-prefix: line $LINENO: \"$BASH_COMMAND\" failed" >&2' ERR

[ $# -eq 1 ] || { echo "usage: sample-prefix.sh DIR" >&2; exit 2; }
prefix=$(cd "$1" 2>/dev/null && pwd) || { echo "sample-prefix: no such folder: $1" >&2; exit 1; }
[ -f "$prefix/system.reg" ] || {
  echo "sample-prefix: $prefix is not a Wine prefix (run scripts/make-prefix.sh first)" >&2; exit 1; }

export WINEPREFIX=$prefix WINEDEBUG=-all
c=$prefix/drive_c

# Windows-side locations (the registry holds these) and their Unix twins under drive_c.
vs='C:\Program Files (x86)\Microsoft Visual Studio'
vs_unix="$c/Program Files (x86)/Microsoft Visual Studio"
lib='C:\Program Files (x86)\Quorvane\Tessaline'
lib_unix="$c/Program Files (x86)/Quorvane/Tessaline"
col="$vs"'\MSDN98\98VS\1033\MSDNVS98.COL'
col_unix="$vs_unix/MSDN98/98VS/1033/MSDNVS98.COL"
colreg_unix="$c/windows/Help/hhcolreg.dat"   # collection number below 10000: Windows\Help

# Writes stdin to a file with CR LF line ends, as the Windows tools that made them did.
crlf() { mkdir -p "$(dirname "$1")"; sed 's/$/\r/' >"$1"; }

# --- Visual C++ 6.0 -------------------------------------------------------------------------
mkdir -p "$vs_unix/Common/MSDev98/Bin" "$vs_unix/Common/MSDev98/Template" \
         "$vs_unix/VC98/Include" "$vs_unix/VC98/Lib" "$vs_unix/VC98/MFC/Include" \
         "$vs_unix/VC98/MFC/Lib" "$vs_unix/VC98/ATL/Include" "$vs_unix/VC98/Bin"
printf 'MZ sample Developer Studio\n' >"$vs_unix/Common/MSDev98/Bin/MSDEV.EXE"
printf 'sample template\n' >"$vs_unix/Common/MSDev98/Template/ATLWiz.awx"

# `wine reg` says why it failed on standard output: kept in a file for the message, since a
# pipe would stay open as long as Wine's helper processes, which inherit it, and make each
# call wait for them.
reg_out=$(mktemp "${TMPDIR:-/tmp}/sample-prefix.XXXXXX")
trap 'rm -f "$reg_out"' EXIT
reg_add() {  # key value data [view]
  wine reg add "$1" /v "$2" /d "$3" /f ${4:+"$4"} >"$reg_out" 2>&1 ||
    { echo "sample-prefix: wine reg add $1 /v $2 failed: $(cat "$reg_out")" >&2; return 1; }
}
hklm_add() { reg_add "HKLM\\$1" "$2" "$3" /reg:32; }
hkcu_add() { reg_add "HKCU\\$1" "$2" "$3"; }

hklm_add 'Software\Microsoft\DevStudio\6.0\Products\Microsoft Visual C++' 'ProductDir' "$vs"'\VC98'
hkcu_add 'Software\Microsoft\DevStudio\6.0\Directories' 'Install Dirs' "$vs"'\Common\MSDev98\Bin'
dirs='Software\Microsoft\DevStudio\6.0\Build System\Components\Platforms\Win32 (x86)\Directories'
hkcu_add "$dirs" 'Include Dirs' "$vs"'\VC98\INCLUDE;'"$vs"'\VC98\MFC\INCLUDE;'"$vs"'\VC98\ATL\INCLUDE'
hkcu_add "$dirs" 'Library Dirs' "$vs"'\VC98\LIB;'"$vs"'\VC98\MFC\LIB'
hkcu_add "$dirs" 'Path Dirs' "$vs"'\Common\MSDev98\Bin;'"$vs"'\VC98\BIN'
hkcu_add "$dirs" 'Source Dirs' "$vs"'\VC98\MFC\SRC;'"$vs"'\VC98\CRT\SRC'

# --- MSDN help collection -------------------------------------------------------------------
# The developer collections key names the preferred collection of the preferred language.
cols='Software\Microsoft\HTML Help Collections\Developer Collections'
hklm_add "$cols" 'Language' '0x0409'
hklm_add "$cols"'\0x0409' 'Preferred' '0x03a2e3000'
hklm_add "$cols"'\0x0409\0x03a2e3000' 'Filename' "$col"
hklm_add "$cols"'\0x0409\0x03a2e3000' 'Full' 'MSDN Library Visual Studio 6.0'

crlf "$col_unix" <<'EOF'
<XML>
<collection>
	<masterlangid value=1033/>
	<masterchi value="msdnvs98.chi"/>
	<samplelocation value=""/>
	<collectionnum value=1/>
	<refcount value=0/>
	<version value=1/>
	<showhomepage value=1/>
	<findmergedchms value=0/>
	<Folders>
		<Folder>
			<TitleString value="MSDN Library Visual Studio 6.0"/>
			<FolderOrder value=1/>
			<Folder>
				<TitleString value="=vcmfc98"/>
				<FolderOrder value=1/>
				<LangId value=1033/>
			</Folder>
			<Folder>
				<TitleString value="=vccore98"/>
				<FolderOrder value=2/>
				<LangId value=1033/>
			</Folder>
		</Folder>
</Folders>
</collection>
</XML>
EOF

# One document compilation per title of the collection, and the collection itself.
msdn='C:\Program Files (x86)\Microsoft Visual Studio\MSDN98\98VS\1033'
entry() {
  cat <<EOF
<DocCompilation>
	<DocCompId value="$1"/>
	<DocCompLanguage value=1033/>
	<LocationHistory>
		<ColNum value=1/>
		<TitleLocation value="$msdn\\$1.chm"/>
		<IndexLocation value="$msdn\\$1.chi"/>
		<LocationRef value="MSDN98"/>
		<Version value=1/>
		<LastPromptedVersion value=0/>
		<TitleSampleLocation value=""/>
		<TitleQueryLocation value=""/>
		<SupportsMerge value=0/>
	</LocationHistory>
</DocCompilation>
EOF
}
{
  echo '<XML>'
  echo '<HHCollectionRegistry>'
  echo '<Collections>'
  printf '\t<Collection>\n\t\t<ColNum value=1/>\n\t\t<ColName value="MSDN Library Visual Studio 6.0"/>\n'
  printf '\t\t<ColFile value="%s"/>\n\t</Collection>\n' "$col"
  echo '</Collections>'
  echo '<Locations>'
  printf '\t<Location>\n\t\t<LocName value="MSDN98"/>\n\t\t<LocPath value="%s"/>\n\t</Location>\n' "$msdn"
  echo '</Locations>'
  echo '<DocCompilations>'
  entry vcmfc98
  entry vccore98
  echo '</DocCompilations>'
  echo '</HHCollectionRegistry>'
  echo '</XML>'
} | crlf "$colreg_unix"

# --- Visual Studio .NET 2003 and Visual Studio 2005 ------------------------------------------
# Each installer records its IDE folder, with a trailing backslash, under its version.
vs71='C:\Program Files (x86)\Microsoft Visual Studio .NET 2003'
vs71_unix="$c/Program Files (x86)/Microsoft Visual Studio .NET 2003"
vs80='C:\Program Files (x86)\Microsoft Visual Studio 8'
vs80_unix="$c/Program Files (x86)/Microsoft Visual Studio 8"
mkdir -p "$vs71_unix/Common7/IDE" "$vs71_unix/Vc7/vcprojects" "$vs71_unix/Vc7/VCWizards" \
         "$vs80_unix/Common7/IDE" "$vs80_unix/Vc/vcprojects" "$vs80_unix/Vc/VCWizards/AppWiz"
printf 'MZ sample Visual Studio .NET 2003\n' >"$vs71_unix/Common7/IDE/devenv.exe"
printf 'MZ sample Visual Studio 2005\n' >"$vs80_unix/Common7/IDE/devenv.exe"
printf 'VSWIZARD 7.0\r\nWizard=VsWizard.VsWizardEngine.7.1\r\n' >"$vs71_unix/Vc7/vcprojects/MFCAppWiz.vsz"
printf 'VSWIZARD 7.0\r\nWizard=VsWizard.VsWizardEngine.8.0\r\n' >"$vs80_unix/Vc/vcprojects/MFCAppWiz.vsz"
hklm_add 'Software\Microsoft\VisualStudio\7.1' 'InstallDir' "$vs71"'\Common7\IDE\'
hklm_add 'Software\Microsoft\VisualStudio\8.0' 'InstallDir' "$vs80"'\Common7\IDE\'

# The user's VC++ directories of 7.1, under the "Local AppData" the prefix's user has.
appdata=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
            /v 'Local AppData' | tr -d '\r' | sed -n 's/^ *Local AppData *REG_SZ *//p')
[ -n "$appdata" ] || { echo "sample-prefix: the prefix's user has no Local AppData" >&2; exit 1; }
appdata_unix=$(winepath -u "$appdata" 2>/dev/null)
crlf "$appdata_unix/Microsoft/VisualStudio/7.1/VCComponents.dat" <<'EOF'
[VC\VC_OBJECTS_PLATFORM_INFO\Win32\Directories]
Path Dirs=$(VCInstallDir)bin;$(VSInstallDir)Common7\Tools\bin\prerelease;$(VSInstallDir)Common7\Tools\bin;$(VSInstallDir)Common7\tools;$(VSInstallDir)Common7\ide;C:\Program Files (x86)\HTML Help Workshop\;$(FrameworkSDKDir)bin;$(FrameworkDir)$(FrameworkVersion);C:\windows\system32;C:\windows;C:\windows\System32\Wbem
Include Dirs=$(VCInstallDir)include;$(VCInstallDir)atlmfc\include;$(VCInstallDir)PlatformSDK\include\prerelease;$(VCInstallDir)PlatformSDK\include;$(FrameworkSDKDir)include
Reference Dirs=$(FrameWorkDir)$(FrameWorkVersion);$(VCInstallDir)atlmfc\lib
Library Dirs=$(VCInstallDir)lib;$(VCInstallDir)atlmfc\lib;$(VCInstallDir)PlatformSDK\lib\prerelease;$(VCInstallDir)PlatformSDK\lib;$(FrameworkSDKDir)lib
Source Dirs=$(VCInstallDir)atlmfc\src\mfc;$(VCInstallDir)atlmfc\src\atl;$(VCInstallDir)crt\src
[VC\VC_OBJECTS_PLATFORM_INFO\Pocket PC 2003 (ARMV4)\Directories]
Path Dirs=$(VCInstallDir)ce\bin;$(VSInstallDir)Common7\Tools\bin;$(VSInstallDir)Common7\ide
Include Dirs=$(VCInstallDir)ce\include;$(VCInstallDir)ce\atlmfc\include
Reference Dirs=$(VCInstallDir)ce\atlmfc\lib\armv4
Library Dirs=$(VCInstallDir)ce\lib\armv4;$(VCInstallDir)ce\atlmfc\lib\armv4
Source Dirs=$(VCInstallDir)ce\atlmfc\src\mfc;$(VCInstallDir)ce\atlmfc\src\atl
EOF

# --- The Tessaline library ------------------------------------------------------------------
mkdir -p "$lib_unix/Tessaline" "$lib_unix/Bin" "$lib_unix/Help" \
         "$lib_unix/TSLAppWizard/Release" "$lib_unix/TSLSkinWizard/Release"
printf '// Tessaline library: sample header\r\n#pragma once\r\n' >"$lib_unix/Tessaline/TSLKit.h"
printf 'sample import library\r\n' >"$lib_unix/Bin/TSLKit.lib"
printf 'MZ sample application wizard TSLXAppWizard\n' >"$lib_unix/TSLAppWizard/Release/TSLXAppWizard.awx"
printf 'MZ sample skin wizard TSLSkinWizard\n' >"$lib_unix/TSLSkinWizard/Release/TSLSkinWizard.awx"
printf 'ITSF sample compiled help TSLHelp\n' >"$lib_unix/Help/TSLHelp.chm"
printf 'ITSF sample help index TSLHelp\n' >"$lib_unix/Help/TSLHelp.chi"
# The wizards of the .NET family: each generation's wizard folder and launch files, with the
# 7.1 variants beside the plain names.
for gen in 7 2005; do
  w="$lib_unix/TSLAppWizard$gen/TSLAppWizard"
  v="$lib_unix/TSLAppWizard$gen/vcprojects"
  mkdir -p "$w/Scripts/1033" "$w/HTML/1033" "$w/Templates/1033" "$w/Images" "$v"
  printf '// TSLXAppWizard %s: script for 7.0\r\nfunction OnFinish(selProj, selObj) {}\r\n' "$gen" \
    >"$w/Scripts/1033/default.js"
  printf '// TSLXAppWizard %s: script for 7.1\r\nfunction OnFinish(selProj, selObj) { return 71; }\r\n' \
    "$gen" >"$w/Scripts/1033/default-2003.js"
  printf '<html><body>TSLXAppWizard %s</body></html>\r\n' "$gen" >"$w/HTML/1033/default.htm"
  printf 'stdafx.h\r\nstdafx.cpp\r\n' >"$w/Templates/1033/Templates.inf"
  printf 'BM sample image %s\n' "$gen" >"$w/Images/TSLAppWizard.bmp"
  printf 'VSWIZARD 7.0\r\nWizard=VsWizard.VsWizardEngine\r\nParam="WIZARD_NAME = TSLAppWizard"\r\n' \
    >"$v/TSLAppWizard.vsz"
  printf 'VSWIZARD 7.0\r\nWizard=VsWizard.VsWizardEngine.7.1\r\nParam="WIZARD_NAME = TSLAppWizard"\r\n' \
    >"$v/TSLAppWizard-2003.vsz"
  printf 'TSLAppWizard.vsz| |TSLXAppWizard|1|Tessaline application| |1|0|\r\n' >"$v/TSLAppWizard.vsdir"
done
# The library's installer records where it put the library.
hklm_add 'Software\Quorvane\Tessaline' 'InstallDir' "$lib"

# The program reads and writes the hive files directly: let the server write them and go.
wineserver -w
echo "$lib"
