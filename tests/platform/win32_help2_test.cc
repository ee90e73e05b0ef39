// The Help 2 service against a stand-in registered in this process. The stand-in is built
// from raw tables of function pointers filled in by slot number, not from the Win32
// layer's own interface declarations, so a method called through a wrong slot shows.
#include <windows.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "platform/win32/win32_services.h"

namespace {

const CLSID kClsidSession = {
    0x31411219, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};
const IID kIidSession = {
    0x31411218, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};
const IID kIidRegister = {
    0x314111bc, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};
const IID kIidPlugIn = {
    0x314111da, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};

// What the stand-in saw and how it answers.
struct Script {
  std::vector<std::string> calls;
  int live_objects = 0;
  HRESULT plug_in_result = S_OK;
  HRESULT commit_result = S_OK;
  bool objects_lack_interfaces = false;
  bool session_supports_error_info = true;
};
Script* script = nullptr;

std::string Narrow(BSTR text) {
  std::string result;
  for (UINT i = 0; text != nullptr && i < SysStringLen(text); ++i) {
    result.push_back(static_cast<char>(text[i]));
  }
  return "\"" + result + "\"";
}

// Leaves a description for the failing call, as a failing object does.
void SetErrorDescription(const wchar_t* description) {
  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    create->SetDescription(const_cast<wchar_t*>(description));
    IErrorInfo* info = nullptr;
    create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
    SetErrorInfo(0, info);
    info->Release();
    create->Release();
  }
}

// One stand-in object: a table pointer, then its state. `iid` is the interface it answers
// besides IUnknown and IDispatch.
struct Object {
  void* const* table;
  LONG references;
  IID iid;
};

struct ErrorSupport {
  void* const* table;
  Object* owner;
};

HRESULT STDMETHODCALLTYPE NotImplemented(Object*) { return E_NOTIMPL; }
extern void* const kErrorSupportTable[4];

HRESULT STDMETHODCALLTYPE QueryInterface(Object* self, REFIID iid, void** out) {
  *out = nullptr;
  if (iid == IID_ISupportErrorInfo) {
    auto* support = new ErrorSupport{kErrorSupportTable, self};
    ++self->references;
    *out = support;
    return S_OK;
  }
  if (iid == IID_IUnknown || iid == IID_IDispatch ||
      (iid == self->iid && (iid == kIidSession || !script->objects_lack_interfaces))) {
    ++self->references;
    *out = self;
    return S_OK;
  }
  return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE AddRef(Object* self) { return ++self->references; }
ULONG STDMETHODCALLTYPE Release(Object* self) {
  LONG left = --self->references;
  if (left == 0) {
    --script->live_objects;
    delete self;
  }
  return left;
}

HRESULT STDMETHODCALLTYPE SupportQuery(ErrorSupport* self, REFIID iid, void** out) {
  return QueryInterface(self->owner, iid, out);
}
ULONG STDMETHODCALLTYPE SupportAddRef(ErrorSupport* self) { return AddRef(self->owner); }
ULONG STDMETHODCALLTYPE SupportRelease(ErrorSupport* self) {
  Object* owner = self->owner;
  delete self;
  return Release(owner);
}
HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(ErrorSupport* self, REFIID iid) {
  if (iid != self->owner->iid) return S_FALSE;
  return iid == kIidSession && !script->session_supports_error_info ? S_FALSE : S_OK;
}
void* const kErrorSupportTable[4] = {
    reinterpret_cast<void*>(SupportQuery), reinterpret_cast<void*>(SupportAddRef),
    reinterpret_cast<void*>(SupportRelease), reinterpret_cast<void*>(InterfaceSupportsErrorInfo)};

Object* NewObject(void* const* table, const IID& iid) {
  ++script->live_objects;
  return new Object{table, 1, iid};
}

// Slots 7 and on: the interfaces' own methods. Slots never expected to be called record
// their number.
template <int kSlot>
HRESULT STDMETHODCALLTYPE Unexpected(Object*) {
  script->calls.push_back("unexpected slot " + std::to_string(kSlot));
  return E_UNEXPECTED;
}

HRESULT STDMETHODCALLTYPE CreateTransaction(Object*, BSTR token, BSTR* transaction) {
  script->calls.push_back("CreateTransaction(" + Narrow(token) + ")");
  *transaction = SysAllocString(L"{transaction}");
  return S_OK;
}
HRESULT STDMETHODCALLTYPE CommitTransaction(Object*) {
  script->calls.push_back("CommitTransaction()");
  if (FAILED(script->commit_result)) SetErrorDescription(L"commit refused");
  return script->commit_result;
}
extern void* const kRegisterTable[14];
extern void* const kPlugInTable[9];
HRESULT STDMETHODCALLTYPE GetRegistrationObject(Object*, LONG kind, IDispatch** object) {
  script->calls.push_back("GetRegistrationObject(" + std::to_string(kind) + ")");
  Object* made =
      kind == 0 ? NewObject(kRegisterTable, kIidRegister) : NewObject(kPlugInTable, kIidPlugIn);
  *object = reinterpret_cast<IDispatch*>(made);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE RegisterNamespace(Object*, BSTR name_space, BSTR collection,
                                            BSTR description) {
  script->calls.push_back("RegisterNamespace(" + Narrow(name_space) + "," + Narrow(collection) +
                          "," + Narrow(description) + ")");
  return S_OK;
}
HRESULT STDMETHODCALLTYPE RegisterHelpFile(Object*, BSTR name_space, BSTR id, LONG language,
                                           BSTR file) {
  script->calls.push_back("RegisterHelpFile(" + Narrow(name_space) + "," + Narrow(id) + "," +
                          std::to_string(language) + "," + Narrow(file) + ")");
  return S_OK;
}
HRESULT STDMETHODCALLTYPE RegisterHelpPlugIn(Object*, BSTR parent, BSTR parent_toc, BSTR name_space,
                                             BSTR toc, BSTR attribute, LONG options) {
  script->calls.push_back("RegisterHelpPlugIn(" + Narrow(parent) + "," + Narrow(parent_toc) + "," +
                          Narrow(name_space) + "," + Narrow(toc) + "," + Narrow(attribute) + "," +
                          std::to_string(options) + ")");
  if (FAILED(script->plug_in_result)) SetErrorDescription(L"plug-in rejected");
  return script->plug_in_result;
}

#define TSL_SLOT(f) reinterpret_cast<void*>(f)
#define TSL_BASE                                                                           \
  TSL_SLOT(QueryInterface), TSL_SLOT(AddRef), TSL_SLOT(Release), TSL_SLOT(NotImplemented), \
      TSL_SLOT(NotImplemented), TSL_SLOT(NotImplemented), TSL_SLOT(NotImplemented)

void* const kSessionTable[] = {TSL_BASE,
                               TSL_SLOT(CreateTransaction),  // 1st own method
                               TSL_SLOT(Unexpected<2>),
                               TSL_SLOT(Unexpected<3>),
                               TSL_SLOT(CommitTransaction),  // 4th
                               TSL_SLOT(Unexpected<5>),
                               TSL_SLOT(GetRegistrationObject),  // 6th
                               TSL_SLOT(Unexpected<7>)};
void* const kRegisterTable[14] = {TSL_BASE,
                                  TSL_SLOT(RegisterNamespace),  // 1st
                                  TSL_SLOT(Unexpected<2>),
                                  TSL_SLOT(Unexpected<3>),
                                  TSL_SLOT(Unexpected<4>),
                                  TSL_SLOT(Unexpected<5>),
                                  TSL_SLOT(RegisterHelpFile),  // 6th
                                  TSL_SLOT(Unexpected<7>)};
void* const kPlugInTable[9] = {TSL_BASE, TSL_SLOT(RegisterHelpPlugIn),  // 1st
                               TSL_SLOT(Unexpected<2>)};

// The class object that hands out sessions.
HRESULT STDMETHODCALLTYPE FactoryQuery(void* self, REFIID iid, void** out) {
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  *out = self;
  return S_OK;
}
ULONG STDMETHODCALLTYPE FactoryCount(void*) { return 1; }
HRESULT STDMETHODCALLTYPE FactoryCreate(void*, IUnknown* outer, REFIID iid, void** out) {
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  Object* session = NewObject(kSessionTable, kIidSession);
  HRESULT rc = QueryInterface(session, iid, out);
  Release(session);
  return rc;
}
HRESULT STDMETHODCALLTYPE FactoryLock(void*, BOOL) { return S_OK; }
void* const kFactoryTable[] = {TSL_SLOT(FactoryQuery), TSL_SLOT(FactoryCount),
                               TSL_SLOT(FactoryCount), TSL_SLOT(FactoryCreate),
                               TSL_SLOT(FactoryLock)};
struct {
  void* const* table;
} factory = {kFactoryTable};

class Win32Help2 : public ::testing::Test {
 protected:
  void SetUp() override {
    script = &script_;
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    service_ = platform::win32::CreateHelp2Service();
  }
  void TearDown() override {
    if (cookie_ != 0) CoRevokeClassObject(cookie_);
    service_.reset();
    CoUninitialize();
    script = nullptr;
  }
  void RegisterStandIn() {
    ASSERT_EQ(CoRegisterClassObject(kClsidSession, reinterpret_cast<IUnknown*>(&factory),
                                    CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
              S_OK);
  }

  Script script_;
  DWORD cookie_ = 0;
  std::unique_ptr<platform::Help2Service> service_;
};

TEST_F(Win32Help2, CreateSessionFailsCleanlyWithoutTheService) {
  std::unique_ptr<platform::Help2Session> session;
  platform::Help2Status status = service_->CreateSession(&session);
  EXPECT_TRUE(status.Failed());
  EXPECT_EQ(static_cast<std::uint32_t>(status.code), 0x80040154u);  // class not registered
  EXPECT_FALSE(status.has_description);
  EXPECT_EQ(session, nullptr);
}

TEST_F(Win32Help2, RegistrationCallsReachTheirSlotsWithTheirArguments) {
  RegisterStandIn();
  {
    std::unique_ptr<platform::Help2Session> session;
    ASSERT_FALSE(service_->CreateSession(&session).Failed());
    ASSERT_NE(session, nullptr);
    std::unique_ptr<platform::Help2Register> names;
    std::unique_ptr<platform::Help2PlugIn> plug_in;
    EXPECT_FALSE(session->CreateTransaction("").Failed());
    ASSERT_FALSE(session->GetNamespaceRegistration(&names).Failed());
    ASSERT_NE(names, nullptr);
    EXPECT_FALSE(names->RegisterNamespace("Ns.Title", "C:\\Help\\col.hxc", "A title").Failed());
    EXPECT_FALSE(names->RegisterHelpFile("Ns.Title", "Ns.Id", 1033, "C:\\Help\\t.hxs").Failed());
    EXPECT_FALSE(session->CommitTransaction().Failed());
    EXPECT_FALSE(session->CreateTransaction("").Failed());
    ASSERT_FALSE(session->GetPlugInRegistration(&plug_in).Failed());
    ASSERT_NE(plug_in, nullptr);
    EXPECT_FALSE(
        plug_in->RegisterHelpPlugIn("MS.VSCC", "_DEFAULT", "Ns.Title", "_DEFAULT", "", 0).Failed());
    EXPECT_FALSE(session->CommitTransaction().Failed());
  }
  EXPECT_EQ(script_.calls, (std::vector<std::string>{
                               "CreateTransaction(\"\")",
                               "GetRegistrationObject(0)",
                               "RegisterNamespace(\"Ns.Title\",\"C:\\Help\\col.hxc\",\"A title\")",
                               "RegisterHelpFile(\"Ns.Title\",\"Ns.Id\",1033,\"C:\\Help\\t.hxs\")",
                               "CommitTransaction()",
                               "CreateTransaction(\"\")",
                               "GetRegistrationObject(2)",
                               "RegisterHelpPlugIn(\"MS.VSCC\",\"_DEFAULT\",\"Ns.Title\","
                               "\"_DEFAULT\",\"\",0)",
                               "CommitTransaction()",
                           }));
  EXPECT_EQ(script_.live_objects, 0) << "every object released";
}

TEST_F(Win32Help2, FailureCarriesTheDescriptionOnlyWhereTheObjectSupportsIt) {
  RegisterStandIn();
  script_.plug_in_result = static_cast<HRESULT>(0x80041234);
  script_.commit_result = E_FAIL;
  script_.session_supports_error_info = false;
  {
    std::unique_ptr<platform::Help2Session> session;
    ASSERT_FALSE(service_->CreateSession(&session).Failed());
    std::unique_ptr<platform::Help2PlugIn> plug_in;
    ASSERT_FALSE(session->GetPlugInRegistration(&plug_in).Failed());
    ASSERT_NE(plug_in, nullptr);
    platform::Help2Status status =
        plug_in->RegisterHelpPlugIn("MS.VSCC.v80", "_DEFAULT", "Ns", "_DEFAULT", "", 0);
    EXPECT_EQ(static_cast<std::uint32_t>(status.code), 0x80041234u);
    EXPECT_TRUE(status.has_description);
    EXPECT_EQ(status.description, "plug-in rejected");

    status = session->CommitTransaction();
    EXPECT_EQ(static_cast<std::uint32_t>(status.code), 0x80004005u);
    EXPECT_FALSE(status.has_description);
  }
  EXPECT_EQ(script_.live_objects, 0);
}

TEST_F(Win32Help2, ObjectsLackingTheInterfaceLeaveTheRegistrationEmpty) {
  RegisterStandIn();
  script_.objects_lack_interfaces = true;
  {
    std::unique_ptr<platform::Help2Session> session;
    ASSERT_FALSE(service_->CreateSession(&session).Failed());
    std::unique_ptr<platform::Help2Register> names;
    std::unique_ptr<platform::Help2PlugIn> plug_in;
    EXPECT_FALSE(session->GetNamespaceRegistration(&names).Failed());
    EXPECT_EQ(names, nullptr);
    EXPECT_FALSE(session->GetPlugInRegistration(&plug_in).Failed());
    EXPECT_EQ(plug_in, nullptr);
  }
  EXPECT_EQ(script_.live_objects, 0);
}

}  // namespace
