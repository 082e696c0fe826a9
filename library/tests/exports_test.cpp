// libromgate exports exactly its 81 names: the accessors of every field, the operations
// and the program in one open that serves the caller's backup.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "romgate_fields_table.h"

TEST(Exports, ExactlyTheAccessorsAndOperations) {
    std::set<std::string> expected{"FT_EE_READ_",       "FT_EE_Program_",  "FT_EraseEE_",
                                   "FT_GetDeviceInfo_", "FT_GetFTDevice_", "FT_GetDeviceID_",
                                   "FT_EE_UASize_",     "FT_STATUS_",      "FT_EE_ProgramInOneOpen_"};
    for (const FieldAccess &f : allFields()) {
        expected.insert(std::string("GET_") + f.name + "_");
        expected.insert(std::string("SET_") + f.name + "_");
    }
    ASSERT_EQ(81u, expected.size());

    std::set<std::string> exported;
    FILE *nm = popen("nm -D --defined-only " ROMGATE_FILE, "r");
    ASSERT_NE(nullptr, nm);
    char line[512];
    while (std::fgets(line, sizeof line, nm) != nullptr) {
        char type = 0;
        char name[400];
        if (std::sscanf(line, "%*s %c %399s", &type, name) == 2 && type == 'T') exported.insert(name);
    }
    ASSERT_EQ(0, pclose(nm));
    EXPECT_EQ(expected, exported);
}
