// $$skin_file$$.h: interface for the $$SKIN_CLASS$$ class.
//
//////////////////////////////////////////////////////////////////////

#if !defined($$FILE_NAME_SYMBOL$$_INCLUDED_)
#define $$FILE_NAME_SYMBOL$$_INCLUDED_

#if _MSC_VER > 1000
#pragma once
#endif // _MSC_VER > 1000

class $$SKIN_CLASS$$ : public $$SKIN_BASE_CLASS$$
{
	DECLARE_DYNCREATE($$SKIN_CLASS$$)

public:
	$$SKIN_CLASS$$();
	virtual ~$$SKIN_CLASS$$();

$$IF(OnFillBarBackground)
	virtual void OnFillBarBackground (CDC* pDC, CControlBar* pBar,
		CRect rectClient, CRect rectClip, BOOL bNCArea = FALSE);
$$ENDIF
$$IF(OnDrawBarBorder)
	virtual void OnDrawBarBorder (CDC* pDC, CControlBar* pBar, CRect& rect);
$$ENDIF
$$IF(OnDrawMenuBorder)
	virtual void OnDrawMenuBorder (CDC* pDC, CTSLPopupMenu* pMenu, CRect rect);
$$ENDIF
$$IF(OnDrawBarGripper)
	virtual void OnDrawBarGripper (CDC* pDC, CRect rectGripper, BOOL bHorz,
		CControlBar* pBar);
$$ENDIF
$$IF(OnDrawSeparator)
	virtual void OnDrawSeparator (CDC* pDC, CControlBar* pBar, CRect rect,
		BOOL bIsHoriz);
$$ENDIF
$$IF(OnDrawCaptionButton)
	virtual void OnDrawCaptionButton (CDC* pDC, CTSLSCBButton* pButton,
		BOOL bHorz, BOOL bMaximized, BOOL bDisabled);
$$ENDIF
$$IF(OnFillButtonInterior)
	virtual void OnFillButtonInterior (CDC* pDC, CTSLToolbarButton* pButton,
		CRect rect, CTSLVisualManager::TSLBUTTON_STATE state);
$$ENDIF
$$IF(OnDrawButtonBorder)
	virtual void OnDrawButtonBorder (CDC* pDC, CTSLToolbarButton* pButton,
		CRect rect, CTSLVisualManager::TSLBUTTON_STATE state);
$$ENDIF
$$IF(OnHighlightMenuItem)
	virtual void OnHighlightMenuItem (CDC* pDC, CTSLToolbarMenuButton* pButton,
		CRect rect, COLORREF& clrText);
$$ENDIF
$$IF(OnHighlightRarelyUsedMenuItems)
	virtual void OnHighlightRarelyUsedMenuItems (CDC* pDC, CRect rectRarelyUsed);
$$ENDIF
$$IF(OnEraseTabsArea)
	virtual void OnEraseTabsArea (CDC* pDC, CRect rect, const CTSLTabWnd* pTabWnd);
$$ENDIF
$$IF(OnDrawTab)
	virtual void OnDrawTab (CDC* pDC, CRect rectTab, int iTab, BOOL bIsActive,
		const CTSLTabWnd* pTabWnd);
$$ENDIF
};

#endif // !defined($$FILE_NAME_SYMBOL$$_INCLUDED_)
