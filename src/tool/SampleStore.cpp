// SPDX-License-Identifier: MIT
#include "SampleStore.h"

namespace shiftloom::tool {

std::vector<JobSpec> sampleJobs()
{
    // Texts are Windows-1252 bytes: "\xE7" is c with cedilla.
    return {
        {"WS-26", "1001", "Frame welding", "Trailer chassis T4", "00001001", true},
        {"WS-26", "1002", "Sheet metal cutting", "Laser, 3 mm steel", "00001002", true},
        {"WS-26",
            "1003",
            "Press brake bending",
            "Fa\xE7"
            "ade brackets",
            "00001003",
            true},
        {"WS-26", "1004", "Powder coating", "RAL 7016 grey", "00001004", true},
        {"WS-26", "1005", "Final assembly", "Conveyor unit C2", "00001005", true},
        {"WS-26", "1006", "Quality inspection", "First article", "00001006", true},
        {"WS-26", "1007", "CNC milling", "Gearbox housings", "00001007", true},
        {"WS-26", "1008", "Lathe turning", "Drive shafts", "00001008", true},
        {"WS-26", "1009", "Deburring", "Milled parts", "00001009", true},
        {"WS-26", "1010", "Packing & shipping", "Export crates", "00001010", true},
        {"MAINT", "2001", "Machine upkeep", "Weekly service", "00002001", true},
        {"MAINT", "2002", "Paint line", "Decommissioned", "00002002", false},
    };
}

std::string sampleActivities()
{
    return "ASSEMBLY Assembly work    00000001;\r\n"
           "SETUP    Machine setup    00000002;\r\n"
           "REWORK   Rework, repair   00000003;\r\n"
           "CLEANING Cleaning         00000004;\r\n"
           "TRAINING Training         00000005;\r\n";
}

std::string storeMarkerText()
{
    return "; Card-Warden data store: the jobs (dep.dat), the activities (activities.txt)\r\n"
           "; and the time records of the workstations (data).\r\n"
           "[store]\r\n"
           "layout=5\r\n";
}

} // namespace shiftloom::tool
