// The change record's Help 2 registration service: each registration call is noted with its
// arguments and the status it returned; a dry run withholds them.
// Portable: no Win32 here.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/recording.h"

namespace platform {

// Each registration call is noted with its arguments; a dry run answers success without reaching
// the service. Creating a session and fetching its objects change nothing, so they go to the real
// service and fail as they would.
class RecordingHelp2 {
 public:
  static std::string Call(const std::string& name, const std::vector<std::string>& args) {
    std::string text = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) text += (i ? ", " : "") + args[i];
    return text + ")";
  }

  static Help2Status Forward(ChangeRecord& record, const std::string& call,
                             const std::function<Help2Status()>& real) {
    if (record.mode_ == ChangeRecord::Mode::kDryRun) {
      record.AddHelpCall(call);
      return Help2Status();
    }
    Change note;
    note.kind = Change::Kind::kHelpCall;
    note.call = call;
    std::string error;
    if (!record.NoteAhead(note, &error)) {
      Help2Status refused;
      refused.code = static_cast<std::int32_t>(0x80004005u);  // E_FAIL
      refused.has_description = true;
      refused.description = error;
      return refused;
    }
    Help2Status status = real();
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(status.code));
    record.AddHelpCall(call + (status.Failed() ? std::string(" failed: ") + code : ""));
    return status;
  }
};

namespace {

class RecordingRegister : public Help2Register {
 public:
  RecordingRegister(ChangeRecord& record, std::unique_ptr<Help2Register> real)
      : record_(record), real_(std::move(real)) {}
  Help2Status RegisterNamespace(const std::string& name_space, const std::string& collection_file,
                                const std::string& description) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RegisterNamespace",
                             {Quoted(name_space), Quoted(collection_file), Quoted(description)}),
        [&] { return real_->RegisterNamespace(name_space, collection_file, description); });
  }
  Help2Status RegisterHelpFile(const std::string& name_space, const std::string& help_file_id,
                               std::int32_t language_id, const std::string& help_file) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RegisterHelpFile", {Quoted(name_space), Quoted(help_file_id),
                                                  std::to_string(language_id), Quoted(help_file)}),
        [&] { return real_->RegisterHelpFile(name_space, help_file_id, language_id, help_file); });
  }

  Help2Status RemoveHelpFile(const std::string& name_space, const std::string& help_file_id,
                             std::int32_t language_id) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RemoveHelpFile", {Quoted(name_space), Quoted(help_file_id),
                                                std::to_string(language_id)}),
        [&] { return real_->RemoveHelpFile(name_space, help_file_id, language_id); });
  }
  Help2Status RemoveNamespace(const std::string& name_space) override {
    return RecordingHelp2::Forward(record_,
                                   RecordingHelp2::Call("RemoveNamespace", {Quoted(name_space)}),
                                   [&] { return real_->RemoveNamespace(name_space); });
  }

 private:
  ChangeRecord& record_;
  std::unique_ptr<Help2Register> real_;
};

class RecordingPlugIn : public Help2PlugIn {
 public:
  RecordingPlugIn(ChangeRecord& record, std::unique_ptr<Help2PlugIn> real)
      : record_(record), real_(std::move(real)) {}
  Help2Status RegisterHelpPlugIn(const std::string& parent_namespace, const std::string& parent_toc,
                                 const std::string& name_space, const std::string& toc,
                                 const std::string& attribute, std::int32_t options) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RegisterHelpPlugIn",
                             {Quoted(parent_namespace), Quoted(parent_toc), Quoted(name_space),
                              Quoted(toc), Quoted(attribute), std::to_string(options)}),
        [&] {
          return real_->RegisterHelpPlugIn(parent_namespace, parent_toc, name_space, toc, attribute,
                                           options);
        });
  }

  Help2Status RemoveHelpPlugIn(const std::string& parent_namespace, const std::string& parent_toc,
                               const std::string& name_space, const std::string& toc,
                               const std::string& attribute) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RemoveHelpPlugIn",
                             {Quoted(parent_namespace), Quoted(parent_toc), Quoted(name_space),
                              Quoted(toc), Quoted(attribute)}),
        [&] {
          return real_->RemoveHelpPlugIn(parent_namespace, parent_toc, name_space, toc, attribute);
        });
  }

 private:
  ChangeRecord& record_;
  std::unique_ptr<Help2PlugIn> real_;
};

class RecordingSession : public Help2Session {
 public:
  RecordingSession(ChangeRecord& record, std::unique_ptr<Help2Session> real)
      : record_(record), real_(std::move(real)) {}
  Help2Status CreateTransaction(const std::string& token) override {
    return RecordingHelp2::Forward(record_,
                                   RecordingHelp2::Call("CreateTransaction", {Quoted(token)}),
                                   [&] { return real_->CreateTransaction(token); });
  }
  Help2Status CommitTransaction() override {
    return RecordingHelp2::Forward(record_, RecordingHelp2::Call("CommitTransaction", {}),
                                   [&] { return real_->CommitTransaction(); });
  }
  Help2Status GetNamespaceRegistration(std::unique_ptr<Help2Register>* out) override {
    std::unique_ptr<Help2Register> real;
    Help2Status status = real_->GetNamespaceRegistration(&real);
    if (real) *out = std::make_unique<RecordingRegister>(record_, std::move(real));
    return status;
  }
  Help2Status GetPlugInRegistration(std::unique_ptr<Help2PlugIn>* out) override {
    std::unique_ptr<Help2PlugIn> real;
    Help2Status status = real_->GetPlugInRegistration(&real);
    if (real) *out = std::make_unique<RecordingPlugIn>(record_, std::move(real));
    return status;
  }

 private:
  ChangeRecord& record_;
  std::unique_ptr<Help2Session> real_;
};

class RecordingService : public Help2Service {
 public:
  explicit RecordingService(ChangeRecord& record) : record_(record) {}
  Help2Status CreateSession(std::unique_ptr<Help2Session>* out) override {
    std::unique_ptr<Help2Session> real;
    Help2Status status = record_.real().help2->CreateSession(&real);
    if (real) *out = std::make_unique<RecordingSession>(record_, std::move(real));
    return status;
  }

 private:
  ChangeRecord& record_;
};

}  // namespace

std::unique_ptr<Help2Service> NewRecordingHelp2(ChangeRecord& record) {
  return std::make_unique<RecordingService>(record);
}

}  // namespace platform
