// SkinAqua.h: interface for the CSkinAqua class.
//
//////////////////////////////////////////////////////////////////////

#if !defined(AFX_SKINAQUA_H__6F2C1A3E_8B4D_4C2A_9E71_3D5B0A8C4F12_INCLUDED_)
#define AFX_SKINAQUA_H__6F2C1A3E_8B4D_4C2A_9E71_3D5B0A8C4F12_INCLUDED_

#if _MSC_VER > 1000
#pragma once
#endif // _MSC_VER > 1000

class CSkinAqua : public CTSLVisualManager
{
	DECLARE_DYNCREATE(CSkinAqua)

public:
	CSkinAqua();
	virtual ~CSkinAqua();

	virtual void OnFillBarBackground (CDC* pDC, CControlBar* pBar,
		CRect rectClient, CRect rectClip, BOOL bNCArea = FALSE);
	virtual void OnDrawBarBorder (CDC* pDC, CControlBar* pBar, CRect& rect);
	virtual void OnDrawMenuBorder (CDC* pDC, CTSLPopupMenu* pMenu, CRect rect);
	virtual void OnDrawBarGripper (CDC* pDC, CRect rectGripper, BOOL bHorz,
		CControlBar* pBar);
	virtual void OnDrawSeparator (CDC* pDC, CControlBar* pBar, CRect rect,
		BOOL bIsHoriz);
	virtual void OnDrawCaptionButton (CDC* pDC, CTSLSCBButton* pButton,
		BOOL bHorz, BOOL bMaximized, BOOL bDisabled);
	virtual void OnFillButtonInterior (CDC* pDC, CTSLToolbarButton* pButton,
		CRect rect, CTSLVisualManager::TSLBUTTON_STATE state);
	virtual void OnDrawButtonBorder (CDC* pDC, CTSLToolbarButton* pButton,
		CRect rect, CTSLVisualManager::TSLBUTTON_STATE state);
	virtual void OnHighlightMenuItem (CDC* pDC, CTSLToolbarMenuButton* pButton,
		CRect rect, COLORREF& clrText);
	virtual void OnHighlightRarelyUsedMenuItems (CDC* pDC, CRect rectRarelyUsed);
	virtual void OnEraseTabsArea (CDC* pDC, CRect rect, const CTSLTabWnd* pTabWnd);
	virtual void OnDrawTab (CDC* pDC, CRect rectTab, int iTab, BOOL bIsActive,
		const CTSLTabWnd* pTabWnd);
};

#endif // !defined(AFX_SKINAQUA_H__6F2C1A3E_8B4D_4C2A_9E71_3D5B0A8C4F12_INCLUDED_)
