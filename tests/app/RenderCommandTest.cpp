#include "RenderCommandFixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class RenderCommandTest : public RenderCommandFixture {
protected:
    static std::string example(const std::string& name) {
        return std::string(VELVOR_SOURCE_DIR) + "/examples/" + name + ".ostra-material";
    }
};

} // namespace

TEST_F(RenderCommandTest, RendersEveryCollectorAndThePackedFormGivesTheSamePictures) {
    ASSERT_EQ(run({example("tiles"), "-o", file("xml"), "--packed-out", file("tiles.ostra-packed")}), 0)
        << err.str();
    EXPECT_EQ(out.str(), file("xml") + "/0_Diffuse_map.png\n" + file("xml") + "/1_Normal_map.png\n" +
                             file("xml") + "/2_Specular_map.png\n" + file("tiles.ostra-packed") + "\n");

    ASSERT_EQ(run({file("tiles.ostra-packed"), "-o", file("packed")}), 0) << err.str();
    EXPECT_EQ(out.str(), file("packed") + "/0_slot0.png\n" + file("packed") + "/1_slot4.png\n" +
                             file("packed") + "/2_slot3.png\n");
    // Same pixels through the same encoder give the same bytes.
    EXPECT_EQ(read(file("xml/0_Diffuse_map.png")), read(file("packed/0_slot0.png")));
    EXPECT_EQ(read(file("xml/1_Normal_map.png")), read(file("packed/1_slot4.png")));
    EXPECT_EQ(read(file("xml/2_Specular_map.png")), read(file("packed/2_slot3.png")));
}

TEST_F(RenderCommandTest, XmlOutNormalisesAMaterialFile) {
    write("loose.xml", "  <velvorMaterial><nodes><checkerboard typeId='1' name='B' size='8,8' blocks='2'/>"
                       "<collector id='7' typeId='0' name='Out' size='8,8'/></nodes>"
                       "<cables><cable fromNode='0' toNode='7' toPort='0'/></cables></velvorMaterial>");
    ASSERT_EQ(run({file("loose.xml"), "-o", file("png"), "--xml-out", file("clean.ostra-material")}), 0)
        << err.str();
    EXPECT_EQ(
        read(file("clean.ostra-material")),
        "<velvorMaterial>\n"
        "    <nodes>\n"
        "        <checkerboard id=\"0\" typeId=\"1\" name=\"B\" size=\"8,8\" position=\"0,0\" blocks=\"2\" "
        "/>\n"
        "        <collector id=\"1\" typeId=\"0\" name=\"Out\" size=\"8,8\" position=\"0,0\" index=\"0\" />\n"
        "    </nodes>\n"
        "    <cables>\n"
        "        <cable fromNode=\"0\" toNode=\"1\" toPort=\"0\" />\n"
        "    </cables>\n"
        "</velvorMaterial>\n");
    EXPECT_TRUE(fs::exists(file("png/0_Out.png")));
}

TEST_F(RenderCommandTest, LoaderQuestionsAreYesByDefaultAndFailInStrictMode) {
    write("dangling.xml",
          "<velvorMaterial><nodes><collector id='1' typeId='0' name='Out' size='4,4'/></nodes>"
          "<cables><cable fromNode='9' toNode='1' toPort='0'/></cables></velvorMaterial>");
    EXPECT_EQ(run({file("dangling.xml"), "-o", dir.string()}), 0);
    EXPECT_NE(err.str().find("warning: Could not create cable from node with id 9"), std::string::npos)
        << err.str();
    EXPECT_TRUE(fs::exists(file("0_Out.png")));

    EXPECT_EQ(run({file("dangling.xml"), "-o", file("strict"), "--strict"}), 1);
    EXPECT_NE(err.str().find("--strict"), std::string::npos);
    EXPECT_EQ(out.str(), "");
}

TEST_F(RenderCommandTest, BadInputAndUsageGiveTheirExitStatus) {
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({file("missing.ostra-material")}), 1);
    EXPECT_NE(err.str().find("Could not read file"), std::string::npos);

    write("other.xml", "<VelvorMaterial/>");
    EXPECT_EQ(run({file("other.xml"), "-o", dir.string()}), 1);
    EXPECT_NE(err.str().find("Specified file is apparently not a velvor material!"), std::string::npos);

    write("junk.bin", std::string("\x01\x10\x00", 3));
    EXPECT_EQ(run({file("junk.bin"), "-o", dir.string()}), 1);
    EXPECT_NE(err.str().find("Packed material: record 0"), std::string::npos) << err.str();

    write("empty.ostra-packed", "\xFF");
    EXPECT_EQ(run({file("empty.ostra-packed"), "--xml-out", file("x.xml")}), 2);
    EXPECT_FALSE(fs::exists(file("x.xml")));
    EXPECT_EQ(run({file("empty.ostra-packed"), "-o", dir.string()}), 0);
    EXPECT_EQ(out.str(), "");
}
