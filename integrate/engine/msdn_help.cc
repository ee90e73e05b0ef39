// The library's HTML Help title in Visual C++ 6.0's MSDN collection: hhcolreg.dat and the .COL.
// Portable: no Win32 here.
#include <cctype>
#include <cstdint>
#include <string_view>

#include "integrate/engine/integration_engine.h"
#include "integrate/engine/registry_values.h"
#include "integrate/engine/text_edit.h"
#include "integrate/strings.h"
#include "platform/text_mode.h"
#include "platform/windows_path.h"

namespace integrate {

using platform::KeyAccess;
using platform::RootKey;

namespace {

const char kFolderTitle[] = "Tessaline";

const char kCollectionsRoot[] = "Software\\Microsoft\\HTML Help Collections\\Developer Collections";
const char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

const std::string kEntryEnd = "</DocCompilation>";
const std::string kEntriesEnd = "</DocCompilations>";
const std::string kFoldersEnd = "</Folders>";

// The collection file's values look like <masterlangid value=1033/>: the text between the
// first '=' and the first '/'. Without '=' the value starts at the line's start.
std::string LineValue(const std::string& line) {
  std::size_t eq = line.find('=');
  std::size_t start = eq == std::string::npos ? 0 : eq + 1;
  std::size_t slash = line.find('/');
  if (slash == std::string::npos || slash < start) return std::string();
  return line.substr(start, slash - start);
}

// Decimal conversion as the 32-bit C runtime's strtol does it: leading white space, an
// optional sign, digits up to the first non-digit, saturated at the 32-bit limits (a
// 64-bit long would wrap when cast down instead).
std::int32_t ToCollectionNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT32_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

// The library's collection file and registry file with the texts it finds in them, for the
// removal and the status; false when there is no collection to look in.
struct MsdnFiles {
  std::string collectionFile;
  std::string registryFile;
  std::string languageId;
  std::int32_t collectionNumber = 0;
  bool registryFound = false;
};

// Takes every entry registered under the identifier out of the registry text, each with the six
// spaces the integration left before the closing tag of the list when it stood last: the inverse
// of AddDocCompilation. An entry without its end is left alone, as AddDocCompilation leaves it.
bool RemoveDocCompilations(std::string* text, const std::string& compilationId) {
  const std::string header = FormatText(kStrDocCompilationHeader, compilationId);
  const std::string indentedEnd = "      " + kEntriesEnd;
  bool removed = false;
  for (std::size_t start = FindText(*text, header); start != std::string::npos;
       start = FindText(*text, header, start)) {
    const std::size_t close = FindText(*text, kEntryEnd, start);
    if (close == std::string::npos) break;
    const std::string_view body =
        std::string_view(*text).substr(start + header.size(), close - start - header.size());
    if (body.find("<DocCompilation") != std::string_view::npos ||
        body.find(kEntriesEnd) != std::string_view::npos) {
      break;
    }
    std::size_t end = close + kEntryEnd.size();
    if (end < text->size() && (*text)[end] == '\n') ++end;
    if (text->compare(end, indentedEnd.size(), indentedEnd) == 0) end += 6;
    text->erase(start, end - start);
    removed = true;
  }
  return removed;
}

}  // namespace

bool IntegrationEngine::FindCollectionFile(std::string* path) {
  // "Language" names a subkey of the root, "Preferred" a subkey of that, and "Filename" in
  // the last one is the collection file. Each key is opened afresh from HKLM.
  std::string keyPath = kCollectionsRoot;
  std::string value;
  for (const char* name : {"Language", "Preferred"}) {
    auto key = platform_.registry->OpenKey(RootKey::kLocalMachine, keyPath, KeyAccess::kRead);
    if (!key || !ReadFixedString(*key, name, &value)) return false;
    keyPath += "\\" + value;
  }
  auto key = platform_.registry->OpenKey(RootKey::kLocalMachine, keyPath, KeyAccess::kRead);
  if (!key || !ReadFixedString(*key, "Filename", &value)) return false;
  *path = value;
  return platform_.files->Exists(value);
}

bool IntegrationEngine::ReadCollectionInfo(const std::string& path, std::string* languageId,
                                           std::int32_t* collectionNumber) {
  std::string language;
  std::string number;
  std::string error;
  bool read = platform_.files->ReadTextLines(
      path,
      [&](const std::string& line) {
        // An empty value counts as not found yet, so a later line may still supply it.
        if (line.find("masterlangid") != std::string::npos) language = LineValue(line);
        if (line.find("collectionnum") != std::string::npos) number = LineValue(line);
        return language.empty() || number.empty();
      },
      &error);
  if (!read || language.empty() || number.empty()) return false;
  *languageId = language;
  *collectionNumber = ToCollectionNumber(number);
  return true;
}

bool IntegrationEngine::FindCollectionRegistry(std::int32_t collectionNumber, std::string* path) {
  const std::string windowsDir = platform_.files->WindowsDirectory();
  // Collections numbered from 10000 on are registered per machine in the common
  // application data folder; older ones in the Windows Help folder.
  if (collectionNumber < 10000) {
    *path = platform::JoinPath(windowsDir, "Help\\hhcolreg.dat");
  } else {
    auto key = platform_.registry->OpenKey(RootKey::kLocalMachine, kShellFolders, KeyAccess::kRead);
    std::string commonAppData;
    if (key && ReadFixedString(*key, "Common AppData", &commonAppData)) {
      *path = Format("%s\\Microsoft\\HTML Help\\hhcolreg.dat", commonAppData);
    } else {
      *path = Format(
          "%s\\Documents and Settings\\All Users\\Application Data\\Microsoft\\HTML Help\\"
          "hhcolreg.dat",
          platform::DriveOf(windowsDir));
    }
  }
  return platform_.files->Exists(*path);
}

bool IntegrationEngine::IntegrateMsdnHelp() {
  const std::string titleFile = installDir_ + "Help\\TSLHelp.chm";
  const std::string indexFile = installDir_ + "Help\\TSLHelp.chi";
  const std::string backupDir = installDir_ + "Help\\";
  auto fail = [this](const std::string& message) {
    dialog_->ShowMessage(message, kMbOk);
    return false;
  };
  for (const std::string& file : {titleFile, indexFile}) {
    if (!platform_.files->Exists(file)) return fail(FormatText(kStrMsdnFileNotFound, file));
  }
  std::string collectionFile;
  if (!FindCollectionFile(&collectionFile)) {
    return fail(LoadText(kStrMsdnLocationNotFound));
  }
  std::string languageId;
  std::int32_t collectionNumber = 0;
  if (!ReadCollectionInfo(collectionFile, &languageId, &collectionNumber)) {
    return fail(LoadText(kStrMsdnCollectionInfoNotFound));
  }
  std::string registryFile;
  if (!FindCollectionRegistry(collectionNumber, &registryFile)) {
    return fail(FormatText(kStrMsdnFileNotFound, "hhcolreg.dat"));
  }

  const std::string entry = FormatText(kStrDocCompilationEntry, kCompilationId, languageId,
                                       collectionNumber, titleFile, indexFile);
  const std::string folder =
      FormatText(kStrCollectionFolder, kFolderTitle, kCompilationId, languageId);

  std::string registryBackup;
  std::string collectionBackup;
  if (!BackupToHelpDir(registryFile, backupDir, &registryBackup)) {
    return fail(FormatText(kStrMsdnBackupFailed, registryBackup));
  }
  if (!BackupToHelpDir(collectionFile, backupDir, &collectionBackup)) {
    return fail(FormatText(kStrMsdnBackupFailed, collectionBackup));
  }

  // Only an edit that got as far as writing may have touched its file; one that stopped
  // before (no closing tag, say) left it as it was, and the step goes on. The copy back is
  // a second guard: a failed write replaces nothing, so the file is whole whether or not
  // the copy succeeds, and the message stays true either way.
  std::string ignored;
  bool written = false;
  if (!AddDocCompilation(registryFile, entry, kCompilationId, &written) && written) {
    (void)platform_.files->CopyFile(registryBackup, registryFile, &ignored);
    return fail(LoadText(kStrMsdnDataFilesNotModified));
  }
  if (AddCollectionFolder(collectionFile, folder, kCompilationId, &written) || !written) {
    return true;
  }
  (void)platform_.files->CopyFile(collectionBackup, collectionFile, &ignored);
  return fail(LoadText(kStrMsdnCollectionEntryNotModified));
}

bool IntegrationEngine::BackupToHelpDir(const std::string& file, const std::string& backupDir,
                                        std::string* copy) {
  *copy = backupDir + platform::FileName(file);
  // MSDN installed from CD keeps its files read-only and a copy keeps that mark; the backup
  // is ours, so neither an earlier read-only copy nor this one may block the next run.
  std::string error;
  if (platform_.files->IsReadOnly(*copy) && !platform_.files->SetNormalAttributes(*copy, &error)) {
    return false;
  }
  return platform_.files->CopyFile(file, *copy, &error) &&
         platform_.files->SetNormalAttributes(*copy, &error);
}

bool IntegrationEngine::AddDocCompilation(const std::string& path, const std::string& entry,
                                          const std::string& compilationId, bool* written) {
  *written = false;
  // hhcolreg.dat holds every title of every help collection on the machine: tens or hundreds
  // of megabytes, edited in two places.
  SpliceEdit edit(*platform_.files, path);
  if (!edit.Read()) return false;

  // An entry an earlier run registered is recognised by its first two lines, exactly as
  // this program writes them, and replaced so the paths, language and number are current.
  // The file's line ends are CR LF; the texts searched have no CR, so they are found just
  // where they would be in the text read line by line.
  const std::string header =
      platform::LfToCrLf(FormatText(kStrDocCompilationHeader, compilationId));
  const std::size_t start = edit.Find(header);
  if (start != std::string::npos) {
    const std::size_t close = edit.Find(kEntryEnd, start);
    if (close == std::string::npos) return false;
    // An entry of ours that was cut short must not take the following entries with it up
    // to their closing tag: a new entry or the list's end first means there is no end.
    const std::size_t body = start + header.size();
    if (edit.Find("<DocCompilation", body, close) != std::string::npos ||
        edit.Find(kEntriesEnd, body, close) != std::string::npos) {
      return false;
    }
    std::size_t end = close + kEntryEnd.size();
    // The line end after the tag goes with the entry; any other character belongs to
    // whatever follows on the same line.
    if (edit.Text(end, end + 2) == "\r\n") end += 2;
    // Every copy of the entry goes; nothing before the first header can be one.
    const std::string old = edit.Text(start, end);
    for (std::size_t at = start; at != std::string::npos; at = edit.Find(old, at + old.size())) {
      edit.Cut(at, at + old.size());
    }
  }

  if (edit.InsertBeforeEach(kEntriesEnd, entry) == 0) return false;
  const bool ok = edit.Write();
  *written = edit.written();
  return ok;
}

bool IntegrationEngine::AddCollectionFolder(const std::string& path, const std::string& folder,
                                            const std::string& compilationId, bool* written) {
  *written = false;
  SpliceEdit edit(*platform_.files, path);
  if (!edit.Read()) return false;
  // The identifier anywhere means an earlier run added the folder (or the user moved it).
  if (edit.Find(compilationId) != std::string::npos) return true;
  if (edit.InsertBeforeEach(kFoldersEnd, folder) == 0) return false;
  const bool ok = edit.Write();
  *written = edit.written();
  return ok;
}

namespace {

bool FindMsdnFiles(IntegrationEngine& engine, MsdnFiles* files) {
  if (!engine.FindCollectionFile(&files->collectionFile) ||
      !engine.ReadCollectionInfo(files->collectionFile, &files->languageId,
                                 &files->collectionNumber)) {
    return false;
  }
  files->registryFound =
      engine.FindCollectionRegistry(files->collectionNumber, &files->registryFile);
  return true;
}

}  // namespace

bool IntegrationEngine::RemoveMsdnHelp() {
  MsdnFiles msdn;
  // Without a collection the library's help is in none.
  if (!FindMsdnFiles(*this, &msdn)) return true;
  const std::string folder =
      FormatText(kStrCollectionFolder, kFolderTitle, kCompilationId, msdn.languageId);

  // Both edits are made in memory first: a file that holds nothing of ours is neither backed up
  // nor rewritten, so a second removal changes nothing.
  TextEdit registry(*platform_.files, msdn.registryFile);
  TextEdit collection(*platform_.files, msdn.collectionFile);
  const bool registryChanged = msdn.registryFound && registry.Read() &&
                               RemoveDocCompilations(&registry.text(), kCompilationId);
  // The folder as the integration put it before "</Folders>", then, without the six spaces its
  // text ends with, as it stands elsewhere.
  bool collectionChanged = false;
  if (collection.Read()) {
    collectionChanged =
        ReplaceAll(&collection.text(), folder, std::string()) +
            ReplaceAll(&collection.text(), folder.substr(0, folder.size() - 6), std::string()) >
        0;
  }
  const std::string backupDir = installDir_ + "Help\\";
  struct Edited {
    bool changed;
    TextEdit* edit;
    const std::string& path;
  };
  for (const Edited& file : {Edited{registryChanged, &registry, msdn.registryFile},
                             Edited{collectionChanged, &collection, msdn.collectionFile}}) {
    if (!file.changed) continue;
    std::string backup;
    if (!BackupToHelpDir(file.path, backupDir, &backup)) {
      dialog_->ShowMessage(FormatText(kStrMsdnBackupFailed, backup), kMbOk);
      return false;
    }
    // The write replaces the file whole or not at all, so there is nothing to put back.
    if (!file.edit->Write()) {
      dialog_->ShowMessage(FormatText(kStrMsdnRemovalFailed, file.edit->error()), kMbOk);
      return false;
    }
  }
  return true;
}

ItemState IntegrationEngine::MsdnHelpState() {
  MsdnFiles msdn;
  if (!FindMsdnFiles(*this, &msdn)) return ItemState::kNotIn;
  TextEdit registry(*platform_.files, msdn.registryFile);
  TextEdit collection(*platform_.files, msdn.collectionFile);
  const bool registered =
      msdn.registryFound && registry.Read() &&
      FindText(registry.text(), FormatText(kStrDocCompilationHeader, kCompilationId)) !=
          std::string::npos;
  // The identifier anywhere counts, as it does for AddCollectionFolder.
  const bool folder =
      collection.Read() && FindText(collection.text(), kCompilationId) != std::string::npos;
  return registered && folder   ? ItemState::kIn
         : registered || folder ? ItemState::kPartlyIn
                                : ItemState::kNotIn;
}

}  // namespace integrate
