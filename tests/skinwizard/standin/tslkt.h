// Stand-in for the Tessaline master header: the two visual managers with the twelve
// overridable drawing methods as the library declares them, and the types they take.
#pragma once

#define _TSLKT_VERSION_MAJOR 6
#define _TSLKT_VERSION_MINOR 2

class CTSLPopupMenu;
class CTSLSCBButton;
class CTSLToolbarButton;
class CTSLToolbarMenuButton;
class CTSLTabWnd;

class CTSLVisualManager : public CObject {
 public:
  static const CRuntimeClass classCTSLVisualManager;
  static CObject* CreateObject() { return new CTSLVisualManager; }
  CRuntimeClass* GetRuntimeClass() const override { return RUNTIME_CLASS(CTSLVisualManager); }

  enum TSLBUTTON_STATE { ButtonsIsRegular, ButtonsIsPressed, ButtonsIsHighlighted };

  CTSLVisualManager() {}
  virtual ~CTSLVisualManager() {}

  virtual void OnFillBarBackground(CDC* pDC, CControlBar* pBar, CRect rectClient,
                                   CRect rectClip, BOOL bNCArea = FALSE) {}
  virtual void OnDrawBarBorder(CDC* pDC, CControlBar* pBar, CRect& rect) {}
  virtual void OnDrawMenuBorder(CDC* pDC, CTSLPopupMenu* pMenu, CRect rect) {}
  virtual void OnDrawBarGripper(CDC* pDC, CRect rectGripper, BOOL bHorz, CControlBar* pBar) {}
  virtual void OnDrawSeparator(CDC* pDC, CControlBar* pBar, CRect rect, BOOL bIsHoriz) {}
  virtual void OnDrawCaptionButton(CDC* pDC, CTSLSCBButton* pButton, BOOL bHorz,
                                   BOOL bMaximized, BOOL bDisabled) {}
  virtual void OnFillButtonInterior(CDC* pDC, CTSLToolbarButton* pButton, CRect rect,
                                    CTSLVisualManager::TSLBUTTON_STATE state) {}
  virtual void OnDrawButtonBorder(CDC* pDC, CTSLToolbarButton* pButton, CRect rect,
                                  CTSLVisualManager::TSLBUTTON_STATE state) {}
  virtual void OnHighlightMenuItem(CDC* pDC, CTSLToolbarMenuButton* pButton, CRect rect,
                                   COLORREF& clrText) {}
  virtual void OnHighlightRarelyUsedMenuItems(CDC* pDC, CRect rectRarelyUsed) {}
  virtual void OnEraseTabsArea(CDC* pDC, CRect rect, const CTSLTabWnd* pTabWnd) {}
  virtual void OnDrawTab(CDC* pDC, CRect rectTab, int iTab, BOOL bIsActive,
                         const CTSLTabWnd* pTabWnd) {}
};

class CTSLVisualManagerXP : public CTSLVisualManager {
 public:
  static const CRuntimeClass classCTSLVisualManagerXP;
  static CObject* CreateObject() { return new CTSLVisualManagerXP; }
  CRuntimeClass* GetRuntimeClass() const override { return RUNTIME_CLASS(CTSLVisualManagerXP); }
};

inline const CRuntimeClass CTSLVisualManager::classCTSLVisualManager = {
    "CTSLVisualManager", &CTSLVisualManager::CreateObject, NULL};
inline const CRuntimeClass CTSLVisualManagerXP::classCTSLVisualManagerXP = {
    "CTSLVisualManagerXP", &CTSLVisualManagerXP::CreateObject, RUNTIME_CLASS(CTSLVisualManager)};
