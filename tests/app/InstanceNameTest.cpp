#include <gtest/gtest.h>

#include <set>

#include "app/InstanceName.h"

// Each of user, display and executable must give its own socket, or one would hand over to
// a copy it has nothing to do with; and the name must fit a socket address (108 bytes).
TEST(InstanceName, EachUserDisplayAndExecutableHasItsOwnShortSocket) {
    const std::string strLongPath = "/opt/" + std::string(300, 'x') + "/bin/Tactilo";
    const std::set<std::string> setPaths = {
        InstanceSocketPath("/run/user/1000", 1000, ":0", "/usr/bin/Tactilo"),
        InstanceSocketPath("/run/user/1001", 1001, ":0", "/usr/bin/Tactilo"),
        InstanceSocketPath("/run/user/1000", 1000, ":1", "/usr/bin/Tactilo"),
        InstanceSocketPath("/run/user/1000", 1000, ":0", "/home/me/Tactilo/Tactilo"),
        InstanceSocketPath("/run/user/1000", 1000, ":0", strLongPath),
        InstanceSocketPath("", 1000, ":0", "/usr/bin/Tactilo"),
        InstanceSocketPath("", 1001, ":0", "/usr/bin/Tactilo"),
        // The boundary between display and path counts.
        InstanceSocketPath("/run/user/1000", 1000, ":0/a", "b"),
        InstanceSocketPath("/run/user/1000", 1000, ":0", "/ab"),
    };
    EXPECT_EQ(setPaths.size(), 9u);
    for (const std::string& strPath : setPaths) {
        EXPECT_LT(strPath.size(), 108u) << strPath;
    }
    EXPECT_EQ(InstanceSocketPath("/run/user/1000/", 1000, ":0", "/usr/bin/Tactilo"),
              InstanceSocketPath("/run/user/1000", 1000, ":0", "/usr/bin/Tactilo"));
    EXPECT_EQ(InstanceSocketPath("/run/user/1000", 1000, ":0", "/usr/bin/Tactilo")
                  .rfind("/run/user/1000/tactilo-", 0),
              0u);
    // Never a name in /tmp itself, which any user could take first.
    EXPECT_EQ(InstanceSocketPath("", 1000, ":0", "/usr/bin/Tactilo").rfind("/tmp/tactilo-1000/", 0),
              0u);
    EXPECT_EQ(PrivateRuntimeFolder("/var/tmp/", 7), "/var/tmp/tactilo-7");
}
