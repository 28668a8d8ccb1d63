/* qx — the system the library runs on: versions of modules, products and
   the operating system, the help library, process-wide registers kept for
   host programs, and releasing the library's process-wide state.

   Results named "static buffer" belong to the library and are overwritten
   by the next call of the same function.  Module and product versions come
   from the library itself (its own name, qx_zur18iv) and from the versions
   file "qx_versions.ini" in the configuration directory:

     [qx_HLP18AN]                   ; a module, by file name
     FileVersion = 5, 2, 10, 3
     ProductVersion = 5.2.10.3
     [Uninstall\AnyKey]             ; an installed product
     DisplayName = Vexlor Piping
     DisplayVersion = 18.01

   A module's versions are known only while it is loaded in the process.
   The operating system answers as the Windows version given in the
   environment variable QX_WINDOWS_VERSION ("10.0" by default). */
#ifndef QX_GLOBAL_H
#define QX_GLOBAL_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

/* Releases the application component's holder; the next use makes a new one. */
QX_API void qx_Global_destroyData(void);

/* The module's version with separators turned into points and blanks
   removed ("5, 2, 10, 3" gives "5.2.10.3"); empty when unknown.  Static
   buffers of 260 characters. */
QX_API qx_wchar *qx_Global_getModuleFileVersion(const qx_wchar *module);
QX_API qx_wchar *qx_Global_getModuleProductVersion(const qx_wchar *module);

/* 1 for Windows 6.0 exactly. */
QX_API int qx_Global_isVista(void);
/* 1 for version 6 or later. */
QX_API int qx_Global_isOSWithUACSupport(void);

/* Opens an existing file in the text editor (QX_TEXT_EDITOR, else the
   desktop's opener) without waiting.  0 when the file does not exist; else
   above 32 when the editor started, 2 when it could not be started. */
QX_API int qx_Global_openFileinNotepad(const qx_wchar *path);

/* The help library qx_HLP18AN (libqx_HLP18AN.so in the binary directory or
   the system's library path): each call passes its values to the library's
   entry of the same name and returns its result; 0 when the library or the
   entry is missing (the user is told through an alert). */
QX_API int qx_Help_Initialize(void);
QX_API int qx_Help_DisplayContext(int32_t a, int32_t b, int32_t c, int32_t d);
QX_API int qx_Help_DisplayTopic(int32_t a, int32_t b, int32_t c);

/* The one drawing whose save events are ignored: stores a copy of the name
   and the flag (a byte), returns the stored name (static buffer, 512
   characters). */
QX_API qx_wchar *qx_Drawing_IgnoreSaveEvents(const qx_wchar *name, int flag);
/* The stored flag when `name` is the stored drawing (case-blind), else 0. */
QX_API int qx_Drawing_IsSaveIgnored(const qx_wchar *name);

/* The object-tracking function of a host: stored and returned; the call
   forwards its values and returns the result, or 0 when none is set. */
typedef int (*qx_TrackFn)(int32_t a, int32_t b, int32_t c);
QX_API qx_TrackFn qx_RM_setFuncTrackObject(qx_TrackFn fn);
QX_API int qx_RM_callFuncTrackObject(int32_t a, int32_t b, int32_t c);

/* The application object's base section name, kept once it is non-empty;
   empty when unknown.  Static buffer of 260 characters. */
QX_API qx_wchar *qx_Orvane_getBaseSectionName(void);

QX_EXTERN_C_END

#endif /* QX_GLOBAL_H */
