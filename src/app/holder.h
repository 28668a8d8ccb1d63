// The process-wide holder of the application component's interfaces: the
// application object and its translator, settings (INI) and file services.
// It is made on the first accessor call; any member may be empty, and every
// user treats an empty member as absent.  Without COM initialised on the
// calling thread every member stays empty.
#ifndef QX_APP_HOLDER_H
#define QX_APP_HOLDER_H

#include "app/interfaces.h"

namespace qx::app {

ComPtr<IApplicationObject> application();
ComPtr<ITranslator> translator();
ComPtr<IIniService> settings();
ComPtr<IFileService> files();

// Releases the four references and forgets the holder; the next accessor
// call makes a new one.
void destroy_holder();

}  // namespace qx::app

#endif  // QX_APP_HOLDER_H
