; CLW file contains information for the MFC ClassWizard

[General Info]
Version=1
LastClass=
LastTemplate=CDialog
NewFileInclude1=#include "stdafx.h"
NewFileInclude2=#include "MySkins.h"

ClassCount=1
Class1=CMySkinsApp

ResourceCount=0

[CLS:CMySkinsApp]
Type=0
HeaderFile=MySkins.h
ImplementationFile=MySkins.cpp
Filter=N
