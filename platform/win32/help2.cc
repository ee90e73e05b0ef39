// The Win32 Help 2 registration service over the help runtime's COM objects, declared by vtable.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include "platform/win32/win32_services.h"

namespace platform {
namespace win32 {

// The Help 2 registration interfaces, declared here by their vtable layout: dual
// interfaces whose own methods follow the seven of IDispatch. Methods this system never
// calls keep their slots as placeholders.
const CLSID kClsidHxRegisterSession = {
    0x31411219, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};
const IID kIidHxRegisterSession = {
    0x31411218, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};
const IID kIidHxRegister = {
    0x314111bc, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};
const IID kIidHxPlugIn = {
    0x314111da, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};

struct IHxRegisterSession : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE CreateTransaction(BSTR token, BSTR* transaction) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused2() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
  virtual HRESULT STDMETHODCALLTYPE CommitTransaction() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRegistrationObject(LONG kind, IDispatch** object) = 0;
};

struct IHxRegister : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE RegisterNamespace(BSTR name_space, BSTR collection,
                                                      BSTR description) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused2() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveNamespace(BSTR name_space) = 0;
  virtual HRESULT STDMETHODCALLTYPE RegisterHelpFile(BSTR name_space, BSTR help_file_id,
                                                     LONG language, BSTR help_file) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveHelpFile(BSTR name_space, BSTR help_file_id,
                                                   LONG language) = 0;
};

struct IHxPlugIn : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE RegisterHelpPlugIn(BSTR parent_namespace, BSTR parent_toc,
                                                       BSTR name_space, BSTR toc, BSTR attribute,
                                                       LONG options) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveHelpPlugIn(BSTR parent_namespace, BSTR parent_toc,
                                                     BSTR name_space, BSTR toc, BSTR attribute) = 0;
};

// The declarations above stay outside an unnamed namespace: with internal linkage and no
// implementation in the program, the optimizer may take their calls for unreachable.
namespace {

// Releases an interface pointer when it goes.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(Interface* p) : p_(p) {}
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  Interface* Get() const { return p_; }
  Interface** Out() {
    Reset();
    return &p_;
  }
  Interface* Detach() {
    Interface* p = p_;
    p_ = nullptr;
    return p;
  }
  void Reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }

 private:
  Interface* p_ = nullptr;
};

// An automation string made from an ANSI string, freed when it goes.
class Bstr {
 public:
  explicit Bstr(const std::string& text) {
    int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    value_ = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (value_ != nullptr && length > 0) {
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), value_, length);
    }
  }
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  bool Ok() const { return value_ != nullptr; }
  BSTR Get() const { return value_; }

 private:
  BSTR value_ = nullptr;
};

std::string ToAnsi(const wchar_t* text) {
  if (text == nullptr) return std::string();
  int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return std::string();
  std::string result(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &result[0], length, nullptr, nullptr);
  result.resize(static_cast<std::size_t>(length) - 1);
  return result;
}

Help2Status Ok() { return Help2Status(); }

Help2Status Status(HRESULT code) {
  Help2Status status;
  status.code = static_cast<std::int32_t>(code);
  return status;
}

// The status of a failed call, with the description the object left when it supports
// error information on the interface that was called.
Help2Status CallFailure(HRESULT code, IUnknown* object, REFIID called) {
  Help2Status status = Status(code);
  ComPtr<ISupportErrorInfo> support;
  if (FAILED(
          object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(support.Out()))) ||
      support.Get() == nullptr || support.Get()->InterfaceSupportsErrorInfo(called) != S_OK) {
    return status;
  }
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Out()) != S_OK || info.Get() == nullptr) return status;
  BSTR description = nullptr;
  if (SUCCEEDED(info.Get()->GetDescription(&description)) && description != nullptr) {
    status.has_description = true;
    status.description = ToAnsi(description);
  }
  SysFreeString(description);
  return status;
}

Help2Status OutOfMemory() { return Status(E_OUTOFMEMORY); }

// Asks `object` for `iid`; a missing interface is not an error and leaves *out empty.
template <typename Interface>
Help2Status Ask(IUnknown* object, REFIID iid, ComPtr<Interface>* out) {
  HRESULT rc = object->QueryInterface(iid, reinterpret_cast<void**>(out->Out()));
  if (rc == E_NOINTERFACE) {
    out->Reset();
    return Ok();
  }
  if (FAILED(rc)) {
    out->Reset();
    return Status(rc);
  }
  return Ok();
}

class Win32Help2Register : public Help2Register {
 public:
  explicit Win32Help2Register(IHxRegister* object) : object_(object) {}

  Help2Status RegisterNamespace(const std::string& name_space, const std::string& collection_file,
                                const std::string& description) override {
    Bstr a(name_space), b(collection_file), c(description);
    if (!a.Ok() || !b.Ok() || !c.Ok()) return OutOfMemory();
    HRESULT rc = object_.Get()->RegisterNamespace(a.Get(), b.Get(), c.Get());
    return FAILED(rc) ? CallFailure(rc, object_.Get(), kIidHxRegister) : Ok();
  }

  Help2Status RegisterHelpFile(const std::string& name_space, const std::string& help_file_id,
                               std::int32_t language_id, const std::string& help_file) override {
    Bstr a(name_space), b(help_file_id), c(help_file);
    if (!a.Ok() || !b.Ok() || !c.Ok()) return OutOfMemory();
    HRESULT rc = object_.Get()->RegisterHelpFile(a.Get(), b.Get(), language_id, c.Get());
    return FAILED(rc) ? CallFailure(rc, object_.Get(), kIidHxRegister) : Ok();
  }

  Help2Status RemoveHelpFile(const std::string& name_space, const std::string& help_file_id,
                             std::int32_t language_id) override {
    Bstr a(name_space), b(help_file_id);
    if (!a.Ok() || !b.Ok()) return OutOfMemory();
    HRESULT rc = object_.Get()->RemoveHelpFile(a.Get(), b.Get(), language_id);
    return FAILED(rc) ? CallFailure(rc, object_.Get(), kIidHxRegister) : Ok();
  }

  Help2Status RemoveNamespace(const std::string& name_space) override {
    Bstr a(name_space);
    if (!a.Ok()) return OutOfMemory();
    HRESULT rc = object_.Get()->RemoveNamespace(a.Get());
    return FAILED(rc) ? CallFailure(rc, object_.Get(), kIidHxRegister) : Ok();
  }

 private:
  ComPtr<IHxRegister> object_;
};

class Win32Help2PlugIn : public Help2PlugIn {
 public:
  explicit Win32Help2PlugIn(IHxPlugIn* object) : object_(object) {}

  Help2Status RegisterHelpPlugIn(const std::string& parent_namespace, const std::string& parent_toc,
                                 const std::string& name_space, const std::string& toc,
                                 const std::string& attribute, std::int32_t options) override {
    Bstr a(parent_namespace), b(parent_toc), c(name_space), d(toc), e(attribute);
    if (!a.Ok() || !b.Ok() || !c.Ok() || !d.Ok() || !e.Ok()) return OutOfMemory();
    HRESULT rc =
        object_.Get()->RegisterHelpPlugIn(a.Get(), b.Get(), c.Get(), d.Get(), e.Get(), options);
    return FAILED(rc) ? CallFailure(rc, object_.Get(), kIidHxPlugIn) : Ok();
  }

  Help2Status RemoveHelpPlugIn(const std::string& parent_namespace, const std::string& parent_toc,
                               const std::string& name_space, const std::string& toc,
                               const std::string& attribute) override {
    Bstr a(parent_namespace), b(parent_toc), c(name_space), d(toc), e(attribute);
    if (!a.Ok() || !b.Ok() || !c.Ok() || !d.Ok() || !e.Ok()) return OutOfMemory();
    HRESULT rc = object_.Get()->RemoveHelpPlugIn(a.Get(), b.Get(), c.Get(), d.Get(), e.Get());
    return FAILED(rc) ? CallFailure(rc, object_.Get(), kIidHxPlugIn) : Ok();
  }

 private:
  ComPtr<IHxPlugIn> object_;
};

class Win32Help2Session : public Help2Session {
 public:
  explicit Win32Help2Session(IHxRegisterSession* session) : session_(session) {}

  Help2Status CreateTransaction(const std::string& token) override {
    Bstr text(token);
    if (!text.Ok()) return OutOfMemory();
    BSTR transaction = nullptr;
    HRESULT rc = session_.Get()->CreateTransaction(text.Get(), &transaction);
    SysFreeString(transaction);
    return FAILED(rc) ? CallFailure(rc, session_.Get(), kIidHxRegisterSession) : Ok();
  }

  Help2Status CommitTransaction() override {
    HRESULT rc = session_.Get()->CommitTransaction();
    return FAILED(rc) ? CallFailure(rc, session_.Get(), kIidHxRegisterSession) : Ok();
  }

  Help2Status GetNamespaceRegistration(std::unique_ptr<Help2Register>* out) override {
    return Registration<Win32Help2Register, IHxRegister>(0, kIidHxRegister, out);
  }

  Help2Status GetPlugInRegistration(std::unique_ptr<Help2PlugIn>* out) override {
    return Registration<Win32Help2PlugIn, IHxPlugIn>(2, kIidHxPlugIn, out);
  }

 private:
  // GetRegistrationObject(kind) asked for `iid` and wrapped; an empty object counts as one
  // lacking the interface and leaves *out empty.
  template <typename Wrapper, typename Interface, typename Service>
  Help2Status Registration(LONG kind, REFIID iid, std::unique_ptr<Service>* out) {
    out->reset();
    ComPtr<IDispatch> object;
    HRESULT rc = session_.Get()->GetRegistrationObject(kind, object.Out());
    if (FAILED(rc)) return CallFailure(rc, session_.Get(), kIidHxRegisterSession);
    if (object.Get() == nullptr) return Ok();
    ComPtr<Interface> asked;
    Help2Status status = Ask(object.Get(), iid, &asked);
    if (!status.Failed() && asked.Get() != nullptr) {
      *out = std::make_unique<Wrapper>(asked.Detach());
    }
    return status;
  }

  ComPtr<IHxRegisterSession> session_;
};

class Win32Help2Service : public Help2Service {
 public:
  Help2Status CreateSession(std::unique_ptr<Help2Session>* out) override {
    out->reset();
    ComPtr<IUnknown> object;
    HRESULT rc =
        CoCreateInstance(kClsidHxRegisterSession, nullptr,
                         CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                         IID_IUnknown, reinterpret_cast<void**>(object.Out()));
    if (FAILED(rc)) return Status(rc);
    if (object.Get() == nullptr) return Ok();
    rc = OleRun(object.Get());
    if (FAILED(rc)) return Status(rc);
    ComPtr<IHxRegisterSession> session;
    Help2Status status = Ask(object.Get(), kIidHxRegisterSession, &session);
    if (!status.Failed() && session.Get() != nullptr) {
      *out = std::make_unique<Win32Help2Session>(session.Detach());
    }
    return status;
  }
};

}  // namespace

std::unique_ptr<Help2Service> CreateHelp2Service() { return std::make_unique<Win32Help2Service>(); }

}  // namespace win32
}  // namespace platform
