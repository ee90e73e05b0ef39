// SkinAqua.cpp: implementation of the CSkinAqua class.
//
//////////////////////////////////////////////////////////////////////

#include "stdafx.h"
#include "MySkins.h"
#include "SkinAqua.h"

#ifdef _DEBUG
#undef THIS_FILE
static char THIS_FILE[]=__FILE__;
#define new DEBUG_NEW
#endif

IMPLEMENT_DYNCREATE(CSkinAqua, CTSLVisualManager)

//////////////////////////////////////////////////////////////////////
// Construction/Destruction
//////////////////////////////////////////////////////////////////////

CSkinAqua::CSkinAqua()
{
	// TODO: add skin initialization code here
	
}

CSkinAqua::~CSkinAqua()
{
}

void CSkinAqua::OnFillBarBackground (CDC* pDC, CControlBar* pBar,
	CRect rectClient, CRect rectClip, BOOL bNCArea)
{
	// TODO: add skin initialization code here
	
	pDC->FillSolidRect (rectClient, RGB (56, 200, 145));
}

void CSkinAqua::OnDrawBarBorder (CDC* pDC, CControlBar* pBar, CRect& rect)
{
	CTSLVisualManager::OnDrawBarBorder (pDC, pBar, rect);
}

void CSkinAqua::OnDrawMenuBorder (CDC* pDC, CTSLPopupMenu* pMenu, CRect rect)
{
}

void CSkinAqua::OnDrawBarGripper (CDC* pDC, CRect rectGripper, BOOL bHorz,
	CControlBar* pBar)
{
}

void CSkinAqua::OnDrawSeparator (CDC* pDC, CControlBar* pBar, CRect rect,
	BOOL bIsHoriz)
{
}

void CSkinAqua::OnDrawCaptionButton (CDC* pDC, CTSLSCBButton* pButton,
	BOOL bHorz, BOOL bMaximized, BOOL bDisabled)
{
}

void CSkinAqua::OnFillButtonInterior (CDC* pDC, CTSLToolbarButton* pButton,
	CRect rect, CTSLVisualManager::TSLBUTTON_STATE state)
{
}

void CSkinAqua::OnDrawButtonBorder (CDC* pDC, CTSLToolbarButton* pButton,
	CRect rect, CTSLVisualManager::TSLBUTTON_STATE state)
{
}

void CSkinAqua::OnHighlightMenuItem (CDC* pDC, CTSLToolbarMenuButton* pButton,
	CRect rect, COLORREF& clrText)
{
}

void CSkinAqua::OnHighlightRarelyUsedMenuItems (CDC* pDC, CRect rectRarelyUsed)
{
}

void CSkinAqua::OnEraseTabsArea (CDC* pDC, CRect rect, const CTSLTabWnd* pTabWnd)
{
}

void CSkinAqua::OnDrawTab (CDC* pDC, CRect rectTab, int iTab, BOOL bIsActive,
	const CTSLTabWnd* pTabWnd)
{
}
