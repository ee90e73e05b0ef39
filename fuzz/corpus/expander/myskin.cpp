// $$skin_file$$.cpp: implementation of the $$SKIN_CLASS$$ class.
//
//////////////////////////////////////////////////////////////////////

#include "stdafx.h"
#include "$$root$$.h"
#include "$$skin_file$$.h"

#ifdef _DEBUG
#undef THIS_FILE
static char THIS_FILE[]=__FILE__;
#define new DEBUG_NEW
#endif

IMPLEMENT_DYNCREATE($$SKIN_CLASS$$, $$SKIN_BASE_CLASS$$)

//////////////////////////////////////////////////////////////////////
// Construction/Destruction
//////////////////////////////////////////////////////////////////////

$$SKIN_CLASS$$::$$SKIN_CLASS$$()
{
$$IF(VERBOSE)
	// TODO: add skin initialization code here
	
$$ENDIF
}

$$SKIN_CLASS$$::~$$SKIN_CLASS$$()
{
}
$$IF(OnFillBarBackground)

void $$SKIN_CLASS$$::OnFillBarBackground (CDC* pDC, CControlBar* pBar,
	CRect rectClient, CRect rectClip, BOOL bNCArea)
{
$$IF(VERBOSE)
	// TODO: add skin initialization code here
	
$$ENDIF
	pDC->FillSolidRect (rectClient, RGB (56, 200, 145));
}
$$ENDIF
$$IF(OnDrawBarBorder)

void $$SKIN_CLASS$$::OnDrawBarBorder (CDC* pDC, CControlBar* pBar, CRect& rect)
{
	$$SKIN_BASE_CLASS$$::OnDrawBarBorder (pDC, pBar, rect);
}
$$ENDIF
$$IF(OnDrawMenuBorder)

void $$SKIN_CLASS$$::OnDrawMenuBorder (CDC* pDC, CTSLPopupMenu* pMenu, CRect rect)
{
}
$$ENDIF
$$IF(OnDrawBarGripper)

void $$SKIN_CLASS$$::OnDrawBarGripper (CDC* pDC, CRect rectGripper, BOOL bHorz,
	CControlBar* pBar)
{
}
$$ENDIF
$$IF(OnDrawSeparator)

void $$SKIN_CLASS$$::OnDrawSeparator (CDC* pDC, CControlBar* pBar, CRect rect,
	BOOL bIsHoriz)
{
}
$$ENDIF
$$IF(OnDrawCaptionButton)

void $$SKIN_CLASS$$::OnDrawCaptionButton (CDC* pDC, CTSLSCBButton* pButton,
	BOOL bHorz, BOOL bMaximized, BOOL bDisabled)
{
}
$$ENDIF
$$IF(OnFillButtonInterior)

void $$SKIN_CLASS$$::OnFillButtonInterior (CDC* pDC, CTSLToolbarButton* pButton,
	CRect rect, CTSLVisualManager::TSLBUTTON_STATE state)
{
}
$$ENDIF
$$IF(OnDrawButtonBorder)

void $$SKIN_CLASS$$::OnDrawButtonBorder (CDC* pDC, CTSLToolbarButton* pButton,
	CRect rect, CTSLVisualManager::TSLBUTTON_STATE state)
{
}
$$ENDIF
$$IF(OnHighlightMenuItem)

void $$SKIN_CLASS$$::OnHighlightMenuItem (CDC* pDC, CTSLToolbarMenuButton* pButton,
	CRect rect, COLORREF& clrText)
{
}
$$ENDIF
$$IF(OnHighlightRarelyUsedMenuItems)

void $$SKIN_CLASS$$::OnHighlightRarelyUsedMenuItems (CDC* pDC, CRect rectRarelyUsed)
{
}
$$ENDIF
$$IF(OnEraseTabsArea)

void $$SKIN_CLASS$$::OnEraseTabsArea (CDC* pDC, CRect rect, const CTSLTabWnd* pTabWnd)
{
}
$$ENDIF
$$IF(OnDrawTab)

void $$SKIN_CLASS$$::OnDrawTab (CDC* pDC, CRect rectTab, int iTab, BOOL bIsActive,
	const CTSLTabWnd* pTabWnd)
{
}
$$ENDIF
