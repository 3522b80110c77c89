// Where the settings live on Windows: the user's part of the registry.
#include "settingsstore.h"

#include <gtest/gtest.h>

TEST(SettingsStoreOnWindows, TheUserStoreIsTheRegistryKeyOfTheProgram)
{
    const SettingsStore store;
    EXPECT_EQ(store.fileName().toStdString(), "\\HKEY_CURRENT_USER\\Software\\Quenlow\\Corvenda");
}
