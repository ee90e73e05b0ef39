// The library's Help 2 title, registered and plugged into an IDE's help collection.
// Portable: no Win32 here.
#include <exception>

#include "integrate/engine/integration_engine.h"
#include "integrate/engine/vsnet_versions.h"
#include "integrate/strings.h"

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

// Both transactions; the first failing status ends them. Objects are released in the reverse order
// of their making (plug-in, namespace, session) however this returns, and an open transaction is
// neither committed nor reverted.
Help2Status Register(platform::Help2Service& service, int versionCode,
                     const std::string& collectionFile, const std::string& helpFile) {
  std::unique_ptr<platform::Help2Session> session;
  std::unique_ptr<platform::Help2Register> names;
  std::unique_ptr<platform::Help2PlugIn> plugIn;
  Help2Status status = service.CreateSession(&session);
  if (status.Failed()) return status;

  if (!session) return InvalidPointer();
  if ((status = session->CreateTransaction("")).Failed()) return status;
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

// The inverse of Register, in the reverse order: the plug-in comes out of the IDE's collection
// first, then the help file and the namespace go. Each transaction is committed on its own, as
// in Register.
Help2Status Unregister(platform::Help2Service& service, int versionCode) {
  std::unique_ptr<platform::Help2Session> session;
  std::unique_ptr<platform::Help2Register> names;
  std::unique_ptr<platform::Help2PlugIn> plugIn;
  Help2Status status = service.CreateSession(&session);
  if (status.Failed()) return status;

  if (!session) return InvalidPointer();
  if ((status = session->CreateTransaction("")).Failed()) return status;
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

bool IntegrationEngine::RegisterVsNetHelp(int versionCode) {
  const std::string collectionFile = installDir_ + "Help\\col_tslktse.hxc";
  const std::string helpFile = installDir_ + "Help\\Quorvane.TessalineSE.hxs";
  return CallHelp2Service(versionCode, kStrHelp2Failed, [&](platform::Help2Service& service) {
    return Register(service, versionCode, collectionFile, helpFile);
  });
}

bool IntegrationEngine::UnregisterVsNetHelp(int versionCode) {
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
