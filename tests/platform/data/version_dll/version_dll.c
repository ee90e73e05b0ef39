/* A DLL that exists for its version resource: the version tests read it both through the
   Win32 API and through the PE reader of the Wine platform. */
__declspec(dllexport) int TslVersionDllMarker(void) { return 1; }
