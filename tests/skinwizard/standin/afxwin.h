// Stand-in for the class framework's main header, just large enough for generated skin
// projects to compile (and, natively, to link and run in the tests). Header-only; every
// declaration follows the framework's own signature so a wrong call in a template fails here.
#pragma once
#define __AFXWIN_H__

#include <cstddef>
#include <cwchar>

typedef int BOOL;
#define TRUE 1
#define FALSE 0
typedef unsigned int UINT;
typedef long LONG;
typedef unsigned long DWORD;
typedef DWORD COLORREF;
typedef void* HBRUSH;
#define RGB(r, g, b) \
  ((COLORREF)(((unsigned char)(r) | ((unsigned short)((unsigned char)(g)) << 8)) | \
              (((DWORD)(unsigned char)(b)) << 16)))
#define DSS_NORMAL 0x0000

#ifdef _UNICODE
typedef wchar_t TCHAR;
#define _T(x) L##x
#else
typedef char TCHAR;
#define _T(x) x
#endif
typedef const TCHAR* LPCTSTR;

#define DEBUG_NEW new

struct tagRECT {
  LONG left, top, right, bottom;
};
typedef tagRECT RECT;
typedef const RECT* LPCRECT;

class CPoint {
 public:
  CPoint(int x0 = 0, int y0 = 0) : x(x0), y(y0) {}
  int x, y;
};

class CSize {
 public:
  CSize(int cx0 = 0, int cy0 = 0) : cx(cx0), cy(cy0) {}
  int cx, cy;
};

class CRect : public tagRECT {
 public:
  CRect() { left = top = right = bottom = 0; }
  CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  operator LPCRECT() const { return this; }
  CPoint TopLeft() const { return CPoint(left, top); }
  CSize Size() const { return CSize(right - left, bottom - top); }
};

class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  CObject* (*m_pfnCreateObject)();
  const CRuntimeClass* m_pBaseClass;
};

#define RUNTIME_CLASS(class_name) ((CRuntimeClass*)(&class_name::class##class_name))

class CObject {
 public:
  virtual ~CObject() {}
  virtual CRuntimeClass* GetRuntimeClass() const { return nullptr; }
};

#define DECLARE_DYNCREATE(class_name)                   \
 public:                                                \
  static const CRuntimeClass class##class_name;         \
  virtual CRuntimeClass* GetRuntimeClass() const;       \
  static CObject* CreateObject();

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                     \
  CObject* class_name::CreateObject() { return new class_name; }             \
  const CRuntimeClass class_name::class##class_name = {                      \
      #class_name, class_name::CreateObject, RUNTIME_CLASS(base_class_name)}; \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

struct AFX_MSGMAP {
  const AFX_MSGMAP* pBaseMap;
};

#define DECLARE_MESSAGE_MAP()                 \
 protected:                                   \
  static const AFX_MSGMAP messageMap;         \
  virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; } \
  const AFX_MSGMAP theClass::messageMap = {&baseClass::messageMap};
#define END_MESSAGE_MAP()

class CCmdTarget : public CObject {
 protected:
  static inline const AFX_MSGMAP messageMap = {nullptr};
  virtual const AFX_MSGMAP* GetMessageMap() const { return &messageMap; }
};

class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(LPCTSTR lpszAppName = NULL) { (void)lpszAppName; }
};

class CWnd : public CCmdTarget {};

class CGdiObject : public CObject {};

class CBitmap : public CGdiObject {
 public:
  BOOL LoadBitmap(LPCTSTR lpszResourceName) { return lpszResourceName != NULL; }
  BOOL LoadBitmap(UINT nIDResource) { return nIDResource != 0; }
};

class CDC : public CObject {
 public:
  void FillSolidRect(LPCRECT lpRect, COLORREF clr) { (void)lpRect; (void)clr; }
  BOOL DrawState(CPoint pt, CSize size, CBitmap* pBitmap, UINT nFlags, HBRUSH hBrush = NULL) {
    (void)pt; (void)size; (void)nFlags; (void)hBrush;
    return pBitmap != NULL;
  }
};

struct AFX_MODULE_STATE {};
inline AFX_MODULE_STATE* AfxGetStaticModuleState() {
  static AFX_MODULE_STATE state;
  return &state;
}
struct AFX_MAINTAIN_STATE2 {
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) { (void)state; }
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p);
