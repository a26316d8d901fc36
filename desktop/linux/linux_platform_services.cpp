#include "desktop/linux/linux_services.h"
#include "desktop/platform_services.h"
#include "modules/sync_module.h"

namespace tessaly {

Platform_Services Make_Platform_Services() {
    Platform_Services services;
    services.Auto_Start = Make_Linux_Auto_Start_Entries();
    services.Shell = Make_Linux_Shell_Folders();
    services.Editor = Make_Linux_Text_Editor();
    services.Links = Make_Linux_Link_Opener();
    services.File_System = Make_Linux_File_Routines();
    services.Startup = Make_Linux_Startup_Show();
    services.Memory = Make_Linux_Memory_Status();
    services.Region = Make_Linux_Regional_Date_Format();
    // The store's libraries load with the sync module, at the first use.
    services.Secrets = std::make_unique<Module_Secret_Store>(Program_Sync_Module());
    return services;
}

}  // namespace tessaly
