#!/usr/bin/env bash
# Turns an existing Wine prefix (scripts/make-prefix.sh DIR) into a sample developer machine:
# Visual C++ 6.0 with its MSDN help collection, and the Tessaline library installed beside it.
# Registry values go in through `wine reg add`, as the installers would have put them: HKLM
# through /reg:32, since both installers are 32-bit programs and so write the 32-bit view of a
# 64-bit prefix.
#
# Usage: scripts/sample-prefix.sh DIR
# Prints the library's install folder (Windows form) on standard output.
set -euo pipefail

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

hklm_add() { wine reg add "HKLM\\$1" /v "$2" /d "$3" /f /reg:32 >/dev/null; }
hkcu_add() { wine reg add "HKCU\\$1" /v "$2" /d "$3" /f >/dev/null; }

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

# --- The Tessaline library ------------------------------------------------------------------
mkdir -p "$lib_unix/Tessaline" "$lib_unix/Bin" "$lib_unix/Help" \
         "$lib_unix/TSLAppWizard/Release" "$lib_unix/TSLSkinWizard/Release"
printf '// Tessaline library: sample header\r\n#pragma once\r\n' >"$lib_unix/Tessaline/TSLKit.h"
printf 'sample import library\r\n' >"$lib_unix/Bin/TSLKit.lib"
printf 'MZ sample application wizard TSLXAppWizard\n' >"$lib_unix/TSLAppWizard/Release/TSLXAppWizard.awx"
printf 'MZ sample skin wizard TSLSkinWizard\n' >"$lib_unix/TSLSkinWizard/Release/TSLSkinWizard.awx"
printf 'ITSF sample compiled help TSLHelp\n' >"$lib_unix/Help/TSLHelp.chm"
printf 'ITSF sample help index TSLHelp\n' >"$lib_unix/Help/TSLHelp.chi"
# The library's installer records where it put the library.
hklm_add 'Software\Quorvane\Tessaline' 'InstallDir' "$lib"

# The program reads and writes the hive files directly: let the server write them and go.
wineserver -w
echo "$lib"
