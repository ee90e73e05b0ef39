/* A Help 2 registration session of our own, for the tests only: an in-process COM server
 * answering the session class with the session, namespace and plug-in interfaces, laid out
 * by slot as the help step calls them. Every call goes into a log with its arguments, in
 * order, and every object's last release too. A chosen call can be made to fail with a
 * chosen status and error description.
 *
 *   TSL_HELP2_LOG   the log file (a Windows path), appended to
 *   TSL_HELP2_FAIL  "Method:0xStatus:Description", e.g.
 *                   "RegisterHelpPlugIn:0x80070005:Access is denied by the test server."
 */
#define COBJMACROS
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const CLSID kClsidSession = {
    0x31411219, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};
static const IID kIidSession = {
    0x31411218, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};
static const IID kIidRegister = {
    0x314111bc, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};
static const IID kIidPlugIn = {
    0x314111da, 0xa502, 0x11d2, {0xbb, 0xca, 0x00, 0xc0, 0x4f, 0x8e, 0xc2, 0x94}};

/* ---- The log and the scripted failure ---------------------------------------------------- */

static void Log(const char* format, ...) {
  const char* path = getenv("TSL_HELP2_LOG");
  if (path == NULL || *path == '\0') return;
  FILE* log = fopen(path, "a");
  if (log == NULL) return;
  va_list args;
  va_start(args, format);
  vfprintf(log, format, args);
  va_end(args);
  fputc('\n', log);
  fclose(log);
}

/* A BSTR as the log shows it: quoted, in the ANSI code page. */
static const char* Text(BSTR text, char* buffer, int size) {
  int n = 0;
  buffer[n++] = '"';
  if (text != NULL) {
    n += WideCharToMultiByte(CP_ACP, 0, text, (int)SysStringLen(text), buffer + n, size - 3, NULL,
                             NULL);
  }
  buffer[n++] = '"';
  buffer[n] = '\0';
  return buffer;
}

/* The status the call `method` answers: the scripted failure, with its description left as
 * the thread's error information, or S_OK. */
static HRESULT Answer(const char* method) {
  const char* spec = getenv("TSL_HELP2_FAIL");
  size_t length = strlen(method);
  if (spec == NULL || strncmp(spec, method, length) != 0 || spec[length] != ':') return S_OK;
  char* rest = NULL;
  HRESULT status = (HRESULT)strtoul(spec + length + 1, &rest, 16);
  if (rest != NULL && *rest == ':' && rest[1] != '\0') {
    ICreateErrorInfo* create = NULL;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
      WCHAR description[512];
      MultiByteToWideChar(CP_ACP, 0, rest + 1, -1, description, 512);
      ICreateErrorInfo_SetDescription(create, description);
      IErrorInfo* info = NULL;
      if (SUCCEEDED(ICreateErrorInfo_QueryInterface(create, &IID_IErrorInfo, (void**)&info))) {
        SetErrorInfo(0, info);
        IErrorInfo_Release(info);
      }
      ICreateErrorInfo_Release(create);
    }
  }
  return status;
}

/* ---- Objects ----------------------------------------------------------------------------- */

/* One object: its interface table, then the table of its ISupportErrorInfo, then its state. */
typedef struct Object {
  const void* const* table;
  const void* const* errorTable;
  LONG references;
  const IID* iid;
  const char* name;
} Object;

static Object* FromErrorSupport(void* self) {
  return (Object*)((char*)self - offsetof(Object, errorTable));
}

static HRESULT STDMETHODCALLTYPE QueryInterface(Object* self, REFIID iid, void** out) {
  *out = NULL;
  if (IsEqualIID(iid, &IID_IUnknown) || IsEqualIID(iid, &IID_IDispatch) ||
      IsEqualIID(iid, self->iid)) {
    *out = self;
  } else if (IsEqualIID(iid, &IID_ISupportErrorInfo)) {
    *out = &self->errorTable;
  } else {
    return E_NOINTERFACE;
  }
  InterlockedIncrement(&self->references);
  return S_OK;
}

static ULONG STDMETHODCALLTYPE AddRef(Object* self) {
  return (ULONG)InterlockedIncrement(&self->references);
}

static ULONG STDMETHODCALLTYPE Release(Object* self) {
  LONG left = InterlockedDecrement(&self->references);
  if (left == 0) {
    Log("release %s", self->name);
    free(self);
  }
  return (ULONG)left;
}

/* IDispatch: never called by the help step. */
static HRESULT STDMETHODCALLTYPE GetTypeInfoCount(Object* self, UINT* count) {
  (void)self;
  *count = 0;
  return E_NOTIMPL;
}
static HRESULT STDMETHODCALLTYPE GetTypeInfo(Object* self, UINT index, LCID locale,
                                             ITypeInfo** info) {
  (void)self, (void)index, (void)locale;
  *info = NULL;
  return E_NOTIMPL;
}
static HRESULT STDMETHODCALLTYPE GetIDsOfNames(Object* self, REFIID iid, LPOLESTR* names,
                                               UINT count, LCID locale, DISPID* ids) {
  (void)self, (void)iid, (void)names, (void)count, (void)locale, (void)ids;
  return E_NOTIMPL;
}
static HRESULT STDMETHODCALLTYPE Invoke(Object* self, DISPID id, REFIID iid, LCID locale,
                                        WORD flags, DISPPARAMS* params, VARIANT* result,
                                        EXCEPINFO* exception, UINT* argument) {
  (void)self, (void)id, (void)iid, (void)locale, (void)flags, (void)params, (void)result,
      (void)exception, (void)argument;
  return E_NOTIMPL;
}

/* A slot the help step must not call: a call through a wrong slot shows in the log. */
#define UNUSED_SLOT(n)                                     \
  static HRESULT STDMETHODCALLTYPE Slot##n(Object* self) { \
    Log("unexpected call of %s method %d", self->name, n); \
    return E_NOTIMPL;                                      \
  }
UNUSED_SLOT(2)
UNUSED_SLOT(3)
UNUSED_SLOT(4)
UNUSED_SLOT(5)

/* ISupportErrorInfo, on every object, for the one interface the object answers. */
static HRESULT STDMETHODCALLTYPE ErrorQueryInterface(void* self, REFIID iid, void** out) {
  return QueryInterface(FromErrorSupport(self), iid, out);
}
static ULONG STDMETHODCALLTYPE ErrorAddRef(void* self) { return AddRef(FromErrorSupport(self)); }
static ULONG STDMETHODCALLTYPE ErrorRelease(void* self) { return Release(FromErrorSupport(self)); }
static HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(void* self, REFIID iid) {
  return IsEqualIID(iid, FromErrorSupport(self)->iid) ? S_OK : S_FALSE;
}
static const void* const kErrorTable[] = {ErrorQueryInterface, ErrorAddRef, ErrorRelease,
                                          InterfaceSupportsErrorInfo};

static Object* NewObject(const void* const* table, const IID* iid, const char* name) {
  Object* object = (Object*)calloc(1, sizeof(Object));
  if (object == NULL) return NULL;
  object->table = table;
  object->errorTable = kErrorTable;
  object->references = 1;
  object->iid = iid;
  object->name = name;
  return object;
}

/* ---- IHxRegister and IHxPlugIn ------------------------------------------------------------ */

static HRESULT STDMETHODCALLTYPE RegisterNamespace(Object* self, BSTR name_space, BSTR collection,
                                                   BSTR description) {
  char a[600], b[600], c[600];
  (void)self;
  Log("RegisterNamespace(%s, %s, %s)", Text(name_space, a, 600), Text(collection, b, 600),
      Text(description, c, 600));
  return Answer("RegisterNamespace");
}

static HRESULT STDMETHODCALLTYPE RegisterHelpFile(Object* self, BSTR name_space, BSTR id,
                                                  LONG language, BSTR file) {
  char a[600], b[600], c[600];
  (void)self;
  Log("RegisterHelpFile(%s, %s, %ld, %s)", Text(name_space, a, 600), Text(id, b, 600),
      (long)language, Text(file, c, 600));
  return Answer("RegisterHelpFile");
}

static HRESULT STDMETHODCALLTYPE RemoveNamespace(Object* self, BSTR name_space) {
  char a[600];
  (void)self;
  Log("RemoveNamespace(%s)", Text(name_space, a, 600));
  return Answer("RemoveNamespace");
}

static HRESULT STDMETHODCALLTYPE RemoveHelpFile(Object* self, BSTR name_space, BSTR id,
                                                LONG language) {
  char a[600], b[600];
  (void)self;
  Log("RemoveHelpFile(%s, %s, %ld)", Text(name_space, a, 600), Text(id, b, 600), (long)language);
  return Answer("RemoveHelpFile");
}

static const void* const kRegisterTable[] = {QueryInterface,
                                             AddRef,
                                             Release,
                                             GetTypeInfoCount,
                                             GetTypeInfo,
                                             GetIDsOfNames,
                                             Invoke,
                                             RegisterNamespace,
                                             Slot2,
                                             Slot3,
                                             Slot4,
                                             RemoveNamespace,
                                             RegisterHelpFile,
                                             RemoveHelpFile};

static HRESULT STDMETHODCALLTYPE RegisterHelpPlugIn(Object* self, BSTR parent, BSTR parent_toc,
                                                    BSTR name_space, BSTR toc, BSTR attribute,
                                                    LONG options) {
  char a[600], b[600], c[600], d[600], e[600];
  (void)self;
  Log("RegisterHelpPlugIn(%s, %s, %s, %s, %s, %ld)", Text(parent, a, 600), Text(parent_toc, b, 600),
      Text(name_space, c, 600), Text(toc, d, 600), Text(attribute, e, 600), (long)options);
  return Answer("RegisterHelpPlugIn");
}

static HRESULT STDMETHODCALLTYPE RemoveHelpPlugIn(Object* self, BSTR parent, BSTR parent_toc,
                                                  BSTR name_space, BSTR toc, BSTR attribute) {
  char a[600], b[600], c[600], d[600], e[600];
  (void)self;
  Log("RemoveHelpPlugIn(%s, %s, %s, %s, %s)", Text(parent, a, 600), Text(parent_toc, b, 600),
      Text(name_space, c, 600), Text(toc, d, 600), Text(attribute, e, 600));
  return Answer("RemoveHelpPlugIn");
}

static const void* const kPlugInTable[] = {
    QueryInterface,  AddRef,        Release, GetTypeInfoCount,
    GetTypeInfo,     GetIDsOfNames, Invoke,  RegisterHelpPlugIn,
    RemoveHelpPlugIn};

/* ---- IHxRegisterSession ------------------------------------------------------------------- */

static HRESULT STDMETHODCALLTYPE CreateTransaction(Object* self, BSTR token, BSTR* transaction) {
  char a[600];
  (void)self;
  Log("CreateTransaction(%s)", Text(token, a, 600));
  *transaction = SysAllocString(L"{test transaction}");
  return Answer("CreateTransaction");
}

static HRESULT STDMETHODCALLTYPE CommitTransaction(Object* self) {
  (void)self;
  Log("CommitTransaction()");
  return Answer("CommitTransaction");
}

static HRESULT STDMETHODCALLTYPE GetRegistrationObject(Object* self, LONG kind, IDispatch** out) {
  (void)self;
  *out = NULL;
  Log("GetRegistrationObject(%ld)", (long)kind);
  HRESULT status = Answer("GetRegistrationObject");
  if (FAILED(status)) return status;
  Object* object = NULL;
  if (kind == 0) object = NewObject(kRegisterTable, &kIidRegister, "register");
  if (kind == 2) object = NewObject(kPlugInTable, &kIidPlugIn, "plugin");
  if (object == NULL) return E_INVALIDARG;
  *out = (IDispatch*)object;
  return S_OK;
}

static const void* const kSessionTable[] = {QueryInterface,
                                            AddRef,
                                            Release,
                                            GetTypeInfoCount,
                                            GetTypeInfo,
                                            GetIDsOfNames,
                                            Invoke,
                                            CreateTransaction,
                                            Slot2,
                                            Slot3,
                                            CommitTransaction,
                                            Slot5,
                                            GetRegistrationObject};

/* ---- The class factory and the exports ---------------------------------------------------- */

static HRESULT STDMETHODCALLTYPE FactoryQueryInterface(IClassFactory* self, REFIID iid,
                                                       void** out) {
  *out = NULL;
  if (!IsEqualIID(iid, &IID_IUnknown) && !IsEqualIID(iid, &IID_IClassFactory)) {
    return E_NOINTERFACE;
  }
  *out = self;
  return S_OK;
}
static ULONG STDMETHODCALLTYPE FactoryAddRef(IClassFactory* self) {
  (void)self;
  return 2;
}
static ULONG STDMETHODCALLTYPE FactoryRelease(IClassFactory* self) {
  (void)self;
  return 1;
}
static HRESULT STDMETHODCALLTYPE CreateInstance(IClassFactory* self, IUnknown* outer, REFIID iid,
                                                void** out) {
  (void)self;
  *out = NULL;
  if (outer != NULL) return CLASS_E_NOAGGREGATION;
  Log("create session");
  HRESULT status = Answer("create");
  if (FAILED(status)) return status;
  Object* session = NewObject(kSessionTable, &kIidSession, "session");
  if (session == NULL) return E_OUTOFMEMORY;
  status = QueryInterface(session, iid, out);
  Release(session);
  return status;
}
static HRESULT STDMETHODCALLTYPE LockServer(IClassFactory* self, BOOL lock) {
  (void)self, (void)lock;
  return S_OK;
}
static IClassFactoryVtbl kFactoryTable = {FactoryQueryInterface, FactoryAddRef, FactoryRelease,
                                          CreateInstance, LockServer};
static IClassFactory kFactory = {&kFactoryTable};

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  *out = NULL;
  if (!IsEqualCLSID(clsid, &kClsidSession)) return CLASS_E_CLASSNOTAVAILABLE;
  return FactoryQueryInterface(&kFactory, iid, out);
}

/* Stays loaded: the objects are few and the process is short. */
HRESULT WINAPI DllCanUnloadNow(void) { return S_FALSE; }
