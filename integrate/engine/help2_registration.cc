// The library's Help 2 title, registered and plugged into an IDE's help collection.
// Portable: no Win32 here.
#include <exception>
#include <vector>

#include "integrate/engine/integration_engine.h"
#include "integrate/engine/vsnet_versions.h"
#include "integrate/strings.h"
#include "platform/encoding.h"
#include "platform/windows_path.h"

namespace integrate {

using platform::Help2Status;

namespace {

constexpr char kHelpNamespace[] = "Quorvane.TessalineSE";
constexpr char kHelpFileId[] = "Quorvane.TessalineSE";
constexpr char kNamespaceDescription[] = "Tessaline Library Standard Edition";
constexpr std::int32_t kEnglishUs = 1033;
constexpr char kDefaultToc[] = "_DEFAULT";
constexpr std::int32_t kPlugInOptions = 0;
// A call through an interface that was never obtained fails as a null pointer would.
constexpr std::int32_t kInvalidPointer = static_cast<std::int32_t>(0x80004003);

Help2Status InvalidPointer() {
  Help2Status status;
  status.code = kInvalidPointer;
  return status;
}

// A session with its first transaction open; a session object without the session interface
// fails as a call through a null pointer would.
Help2Status OpenSession(platform::Help2Service& service,
                        std::unique_ptr<platform::Help2Session>* session) {
  Help2Status status = service.CreateSession(session);
  if (status.Failed()) return status;
  if (!*session) return InvalidPointer();
  return (*session)->CreateTransaction("");
}

// Both transactions; the first failing status ends them. Objects are released in the reverse order
// of their making (plug-in, namespace, session) however this returns, and an open transaction is
// neither committed nor reverted.
Help2Status Register(platform::Help2Service& service, int versionCode,
                     const std::string& collectionFile, const std::string& helpFile) {
  std::unique_ptr<platform::Help2Session> session;
  std::unique_ptr<platform::Help2Register> names;
  std::unique_ptr<platform::Help2PlugIn> plugIn;
  Help2Status status = OpenSession(service, &session);
  if (status.Failed()) return status;
  if ((status = session->GetNamespaceRegistration(&names)).Failed()) return status;
  if (!names) return InvalidPointer();
  if ((status = names->RegisterNamespace(kHelpNamespace, collectionFile, kNamespaceDescription))
          .Failed()) {
    return status;
  }
  if ((status = names->RegisterHelpFile(kHelpNamespace, kHelpFileId, kEnglishUs, helpFile))
          .Failed()) {
    return status;
  }
  if ((status = session->CommitTransaction()).Failed()) return status;

  if ((status = session->CreateTransaction("")).Failed()) return status;
  if ((status = session->GetPlugInRegistration(&plugIn)).Failed()) return status;
  if (const VsNetVersion* version = FindVsNetVersion(versionCode)) {
    if (!plugIn) return InvalidPointer();
    if ((status = plugIn->RegisterHelpPlugIn(version->parentNamespace, kDefaultToc, kHelpNamespace,
                                             kDefaultToc, "", kPlugInOptions))
            .Failed()) {
      return status;
    }
  }
  return session->CommitTransaction();
}

// What the Windows build showed of its run, in this run's code page.
struct HandOverReport {
  std::vector<std::pair<std::string, bool>> lines;  // text, crossed
  std::vector<std::string> messages;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

bool StartsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

// The console's progress lines carry a check mark or a cross, in UTF-8 or, under a locale
// without it, as "[ok]" and "[failed]"; its messages begin with its caption, and a message
// of several lines goes on without it. Anything else (the options face, Wine's own notes
// before the first message) is not part of the step.
HandOverReport ReadHandOver(const platform::HandOverOutput& output) {
  static const std::pair<const char*, bool> kMarks[] = {
      {"\xE2\x9C\x93 ", false}, {"\xE2\x9C\x97 ", true}, {"[ok] ", false}, {"[failed] ", true}};
  HandOverReport report;
  for (const std::string& line : SplitLines(output.out)) {
    for (const auto& mark : kMarks) {
      if (StartsWith(line, mark.first)) {
        report.lines.emplace_back(platform::Utf8ToAnsi(line.substr(std::string(mark.first).size())),
                                  mark.second);
        break;
      }
    }
  }
  const std::string caption = output.program + ": ";
  for (const std::string& line : SplitLines(output.err)) {
    if (StartsWith(line, caption)) {
      report.messages.push_back(platform::Utf8ToAnsi(line.substr(caption.size())));
    } else if (!report.messages.empty()) {
      report.messages.back() += "\n" + platform::Utf8ToAnsi(line);
    }
  }
  return report;
}

// The console's name of a version in --ide; nullptr for a version it does not know.
const char* IdeOption(int versionCode) {
  switch (versionCode) {
    case 70:
      return "net70";
    case 71:
      return "net71";
    case 80:
      return "vs2005";
    default:
      return nullptr;
  }
}

// The inverse of Register, in the reverse order: the plug-in comes out of the IDE's collection
// first, then the help file and the namespace go. Each transaction is committed on its own, as
// in Register.
Help2Status Unregister(platform::Help2Service& service, int versionCode) {
  std::unique_ptr<platform::Help2Session> session;
  std::unique_ptr<platform::Help2Register> names;
  std::unique_ptr<platform::Help2PlugIn> plugIn;
  Help2Status status = OpenSession(service, &session);
  if (status.Failed()) return status;
  if ((status = session->GetPlugInRegistration(&plugIn)).Failed()) return status;
  if (const VsNetVersion* version = FindVsNetVersion(versionCode)) {
    if (!plugIn) return InvalidPointer();
    if ((status = plugIn->RemoveHelpPlugIn(version->parentNamespace, kDefaultToc, kHelpNamespace,
                                           kDefaultToc, ""))
            .Failed()) {
      return status;
    }
  }
  if ((status = session->CommitTransaction()).Failed()) return status;

  if ((status = session->CreateTransaction("")).Failed()) return status;
  if ((status = session->GetNamespaceRegistration(&names)).Failed()) return status;
  if (!names) return InvalidPointer();
  if ((status = names->RemoveHelpFile(kHelpNamespace, kHelpFileId, kEnglishUs)).Failed()) {
    return status;
  }
  if ((status = names->RemoveNamespace(kHelpNamespace)).Failed()) return status;
  return session->CommitTransaction();
}

}  // namespace

bool IntegrationEngine::HandsOverHelp2(int versionCode) {
  return IdeOption(versionCode) && platform_.help2_handover &&
         platform_.help2_handover->ServiceRegistered();
}

bool IntegrationEngine::HandOverVsNetHelp(int versionCode, Help2Step step) {
  // Only that version's help, without questions; this run's journal stays the one record
  // of the run, so the Windows build keeps none.
  std::vector<std::string> args = {"-p:" + platform::WithoutTrailingBackslash(installDir_),
                                   "--ide",
                                   IdeOption(versionCode),
                                   "--items",
                                   "help",
                                   "--yes",
                                   "--no-journal"};
  if (step == Help2Step::kRemove) args.push_back("--remove");
  platform::HandOverOutput output;
  std::string error;
  if (!platform_.help2_handover->Run(args, &output, &error)) {
    dialog_->ShowMessage(FormatText(kStrHelp2HandOverFailed, GetVsDisplayName(versionCode), error));
    return false;
  }
  const HandOverReport report = ReadHandOver(output);
  // Its IDE's header and result lines are this run's own, and so is its first step line,
  // shown before the hand-over; a cross anywhere is a failed step.
  bool failed = output.exit_status != 0 || !report.messages.empty();
  bool ownStepLine = true;
  for (const auto& line : report.lines) {
    failed = failed || line.second;
    if (line.first.empty() || line.first[0] != ' ') continue;
    if (!ownStepLine) dialog_->InsertLine(line.first, line.second);
    ownStepLine = false;
  }
  for (const std::string& message : report.messages) dialog_->ShowMessage(message);
  if (output.exit_status != 0 && report.messages.empty()) {
    dialog_->ShowMessage(FormatText(kStrHelp2HandOverFailed, GetVsDisplayName(versionCode),
                                    FormatText(kStrHelp2HandOverExit, output.exit_status)));
  }
  return !failed;
}

bool IntegrationEngine::RegisterVsNetHelp(int versionCode) {
  if (HandsOverHelp2(versionCode)) return HandOverVsNetHelp(versionCode, Help2Step::kRegister);
  const std::string collectionFile = installDir_ + "Help\\col_tslktse.hxc";
  const std::string helpFile = installDir_ + "Help\\Quorvane.TessalineSE.hxs";
  return CallHelp2Service(versionCode, kStrHelp2Failed, [&](platform::Help2Service& service) {
    return Register(service, versionCode, collectionFile, helpFile);
  });
}

bool IntegrationEngine::UnregisterVsNetHelp(int versionCode) {
  if (HandsOverHelp2(versionCode)) return HandOverVsNetHelp(versionCode, Help2Step::kRemove);
  return CallHelp2Service(
      versionCode, kStrHelp2RemovalFailed,
      [&](platform::Help2Service& service) { return Unregister(service, versionCode); });
}

bool IntegrationEngine::CallHelp2Service(
    int versionCode, int failedId,
    const std::function<Help2Status(platform::Help2Service&)>& calls) {
  Help2Status status;
  bool completed = false;
  if (platform_.help2) {
    // What the service's status does not cover (memory, a broken conversion) ends the step here as
    // well, with the general message.
    try {
      status = calls(*platform_.help2);
      completed = true;
    } catch (const std::exception&) {
    }
  }
  if (!completed) {
    dialog_->ShowMessage(LoadText(kStrHelp2Exception));
    return false;
  }
  if (!status.Failed()) return true;
  dialog_->ShowMessage(FormatText(failedId, GetVsDisplayName(versionCode),
                                  static_cast<unsigned>(status.code),
                                  status.has_description ? status.description : "(null)"));
  return false;
}

}  // namespace integrate
