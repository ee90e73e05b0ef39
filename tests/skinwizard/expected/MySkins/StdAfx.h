// stdafx.h : include file for standard system include files,
//  or project specific include files that are used frequently, but
//      are changed infrequently
//

#if !defined(AFX_STDAFX_H__348344DC_CA2B_4A7A_BAD3_A936580B42CB__INCLUDED_)
#define AFX_STDAFX_H__348344DC_CA2B_4A7A_BAD3_A936580B42CB__INCLUDED_

#if _MSC_VER > 1000
#pragma once
#endif // _MSC_VER > 1000

#define VC_EXTRALEAN		// Exclude rarely-used stuff from Windows headers

#include <afxwin.h>         // MFC core and standard components
#include <afxext.h>         // MFC extensions

// Tessaline includes
#include "tslkt.h"

//{{AFX_INSERT_LOCATION}}
// Microsoft Visual C++ will insert additional declarations immediately before the previous line.

#endif // !defined(AFX_STDAFX_H__348344DC_CA2B_4A7A_BAD3_A936580B42CB__INCLUDED_)
