// Stand-in for the class framework's extension header: the control bar the overrides take.
#pragma once

#include <afxwin.h>

class CControlBar : public CWnd {};
