// $$root$$.cpp : Defines the initialization routines for the DLL.
//

#include "stdafx.h"
#include "$$root$$.h"
#include "$$skin_file$$.h"

#ifdef _DEBUG
#define new DEBUG_NEW
#undef THIS_FILE
static char THIS_FILE[] = __FILE__;
#endif

//
//	Note!
//
//		This DLL is dynamically linked against the MFC DLLs, so
//		every function exported from it that calls into MFC must
//		have the AFX_MANAGE_STATE macro added at the very beginning
//		of the function:
//
//		extern "C" BOOL PASCAL EXPORT ExportedFunction()
//		{
//			AFX_MANAGE_STATE(AfxGetStaticModuleState());
//			// normal function body here
//		}
//
//		The macro must be the first statement of the function,
//		even before any object variable declarations, as their
//		constructors may call into the MFC DLL.
//
//		See MFC Technical Notes 33 and 58 for details.
//

/////////////////////////////////////////////////////////////////////////////
// C$$Safe_root$$App

BEGIN_MESSAGE_MAP(C$$Safe_root$$App, CWinApp)
	//{{AFX_MSG_MAP(C$$Safe_root$$App)
		// NOTE - the ClassWizard will add and remove mapping macros here.
		//    DO NOT EDIT what you see in these blocks of generated code!
	//}}AFX_MSG_MAP
END_MESSAGE_MAP()

/////////////////////////////////////////////////////////////////////////////
// C$$Safe_root$$App construction

C$$Safe_root$$App::C$$Safe_root$$App()
{
}

/////////////////////////////////////////////////////////////////////////////
// The one and only C$$Safe_root$$App object

C$$Safe_root$$App theApp;

//****************************************************************************************
extern "C" CRuntimeClass* __stdcall TSLKTGetSkinClass (int iIndex)
{
	switch (iIndex)
	{
	case 0:
		return RUNTIME_CLASS ($$SKIN_CLASS$$);
$$IF(VERBOSE)

		// TODO: return other skin classes here
	
$$ENDIF
	}

	return NULL;
}
//****************************************************************************************
extern "C" int __stdcall TSLKTGetSkinCount ()
{
	return 1;
}
//****************************************************************************************
extern "C" LPCTSTR __stdcall TSLKTGetSkinName (int iIndex)
{
	switch (iIndex)
	{
	case 0:
		return _T("$$SKIN_NAME$$");
$$IF(VERBOSE)

		// TODO: return other skin names here
	
$$ENDIF
	}

	return NULL;
}
//****************************************************************************************
extern "C" BOOL __stdcall TSLKTGetSkinVersion (int& iVersionMajor, int& iVersionMinor)
{
	iVersionMajor = _TSLKT_VERSION_MAJOR;
	iVersionMinor = _TSLKT_VERSION_MINOR;

	return TRUE;
}
//****************************************************************************************
extern "C" BOOL __stdcall TSLKTIsUNICODE ()
{
#ifdef _UNICODE
	return TRUE;
#else
	return FALSE;
#endif
}
//****************************************************************************************
extern "C" BOOL __stdcall TSLKTPreviewSkin (CDC* pDC, int iIndex, CRect rectPreview)
{
	AFX_MANAGE_STATE (AfxGetStaticModuleState ());

	switch (iIndex)
	{
	case 0:
		{
			CBitmap bmp;
			bmp.LoadBitmap (IDB_$$SKIN_NAME_UPPER$$_PREVIEW);

			pDC->DrawState (rectPreview.TopLeft (), rectPreview.Size (), &bmp, DSS_NORMAL);
		}
		return TRUE;
$$IF(VERBOSE)

		// TODO: preview other skins here
	
$$ENDIF
	}

	return FALSE;
}
//****************************************************************************************
extern "C" LPCTSTR __stdcall TSLKTGetSkinAuthor (int /*iIndex*/)
{
	return _T("$$AUTHOR$$, $$COMPANY$$");
}
//****************************************************************************************
extern "C" LPCTSTR __stdcall TSLKTGetSkinAuthorURL (int /*iIndex*/)
{
	return _T("$$AUTHOR_URL$$");
}
//****************************************************************************************
extern "C" LPCTSTR __stdcall TSLKTGetSkinAuthorMail (int /*iIndex*/)
{
	return _T("$$AUTHOR_MAIL$$");
}
//****************************************************************************************
extern "C" int __stdcall TSLKTGetSkinUpdate ()
{
	return 1;
}
