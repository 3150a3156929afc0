#include "MaterialBuilding.h"
#include "ScriptedPrompt.h"
#include "base/Exception.h"
#include "io/MaterialXml.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const std::string defaultNodes =
    "        <collector id=\"0\" typeId=\"0\" name=\"Diffuse map\" size=\"256,256\" position=\"50,50\" "
    "index=\"0\" />\n"
    "        <collector id=\"1\" typeId=\"0\" name=\"Reflection map\" size=\"256,256\" position=\"215,125\" "
    "index=\"1\" />\n"
    "        <collector id=\"2\" typeId=\"0\" name=\"Reflection mask\" size=\"256,256\" position=\"215,290\" "
    "index=\"2\" />\n"
    "        <collector id=\"3\" typeId=\"0\" name=\"Normal map\" size=\"256,256\" position=\"50,215\" "
    "index=\"4\" />\n"
    "        <collector id=\"4\" typeId=\"0\" name=\"Specular map\" size=\"256,256\" position=\"50,380\" "
    "index=\"3\" />\n";

std::string contentsOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class TemporaryDirectory {
public:
    TemporaryDirectory()
        : path_(fs::temp_directory_path() /
                ("velvor-io-test-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TemporaryDirectory() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// Every node of `loaded` equals the one at the same place in `original`: type, name, position,
// size and each parameter of its catalogue record; and so does every cable.
void expectSameMaterial(const Material& original, const Material& loaded) {
    ASSERT_EQ(loaded.getNodeCount(), original.getNodeCount());
    for (std::size_t i = 0; i < original.getNodeCount(); ++i) {
        const VisualNode& a = original.getNode(i);
        const VisualNode& b = loaded.getNode(i);
        SCOPED_TRACE("node " + a.getName());
        ASSERT_EQ(b.getTypeId(), a.getTypeId());
        EXPECT_EQ(b.getName(), a.getName());
        EXPECT_EQ(b.getPosition(), a.getPosition());
        EXPECT_EQ(b.getSize(), a.getSize());
        for (const ParameterInfo& parameter : a.getTypeInfo()->parameters) {
            if (parameter.kind == ParameterKind::Text) {
                EXPECT_EQ(parameter.getText(b.getOperator()), parameter.getText(a.getOperator()));
            } else {
                EXPECT_EQ(parameter.get(b.getOperator()), parameter.get(a.getOperator())) << parameter.xmlKey;
            }
        }
    }
    ASSERT_EQ(loaded.getCableCount(), original.getCableCount());
    for (std::size_t i = 0; i < original.getCableCount(); ++i) {
        const Cable& a = original.getCable(i);
        const Cable& b = loaded.getCable(i);
        EXPECT_EQ(loaded.findNodeIndex(&b.getFrom()), original.findNodeIndex(&a.getFrom()));
        EXPECT_EQ(loaded.findNodeIndex(&b.getTo()), original.findNodeIndex(&a.getTo()));
        EXPECT_EQ(b.getToPort(), a.getToPort());
    }
}

} // namespace

TEST(MaterialXmlSaveTest, NewMaterialIsWrittenAsFiveCollectorsAndAnEmptyCablesElement) {
    const Material material;
    EXPECT_EQ(materialToXml(material), "<velvorMaterial>\n"
                                       "    <nodes>\n" +
                                           defaultNodes +
                                           "    </nodes>\n"
                                           "    <cables />\n"
                                           "</velvorMaterial>\n");
}

TEST(MaterialXmlSaveTest, NodeIdsArePositionsAndCablesUseThem) {
    Material material;
    addTyped<Velvor::Checkboard>(material, 1, "Chess", {256, 256}, {300, 40}).blocks = 8;
    material.connect(lastNode(material), -1, material.getNode(0), 0);
    EXPECT_EQ(
        materialToXml(material),
        "<velvorMaterial>\n"
        "    <nodes>\n" +
            defaultNodes +
            "        <checkerboard id=\"5\" typeId=\"1\" name=\"Chess\" size=\"256,256\" position=\"300,40\" "
            "blocks=\"8\" />\n"
            "    </nodes>\n"
            "    <cables>\n"
            "        <cable fromNode=\"5\" toNode=\"0\" toPort=\"0\" />\n"
            "    </cables>\n"
            "</velvorMaterial>\n");
}

TEST(MaterialXmlSaveTest, AttributeTextIsEscapedAndReadBack) {
    EmptyMaterial material;
    addTyped<Velvor::Checkboard>(material, 1, "say \"<hi>\" & go", {1, 2}, {-3, 4}).blocks = -7;
    addTyped<Velvor::Checkboard>(material, 1, "it's", {1, 2});
    const std::string xml = materialToXml(material);
    // A value holding a double quote is written in single quotes.
    EXPECT_NE(
        xml.find("name='say &quot;&lt;hi&gt;&quot; &amp; go' size=\"1,2\" position=\"-3,4\" blocks=\"-7\""),
        std::string::npos)
        << xml;
    EXPECT_NE(xml.find("name=\"it&apos;s\""), std::string::npos) << xml;

    Material loaded;
    ScriptedPrompt prompt;
    EXPECT_EQ(loadXmlText(loaded, xml, prompt), LoadOutcome::Complete);
    expectSameMaterial(material, loaded);
}

TEST(MaterialXmlSaveTest, SaveLoadSaveKeepsEveryNodeParameterAndCable) {
    Material material;
    auto& chess = addTyped<Velvor::Checkboard>(material, 1, "Chess", {64, 64}, {400, 10});
    chess.blocks = 0; // outside the editor's range, kept as it is
    auto& plasma = addTyped<Velvor::SubPlasma>(material, 3, "Clouds", {64, 64}, {400, 130});
    plasma.grid = 6;
    plasma.seed = 511;
    plasma.colour = 0x80C0FF01u;
    auto& mixer = addTyped<Velvor::Mixer>(material, 2, "Mix", {64, 64}, {550, 60});
    mixer.amountA = -32768;
    mixer.amountB = 32767;
    mixer.type = 3;
    auto& text = addTyped<Velvor::Text>(material, 5, "Label", {64, 64}, {400, 250});
    text.setText("line one\nline \"two\"\t&more");
    text.colour = 0x00000000u;
    text.font = 4;
    text.weight = 900;
    auto& displacement = addTyped<Velvor::Displacement>(material, 4, "Shift", {64, 64}, {700, 60});
    displacement.amountX = 3;
    displacement.amountYSource = 5;
    addTyped<Velvor::NormalMap>(material, 6, "Bumps", {64, 64}, {850, 60}).amount = 8192;
    addTyped<Velvor::Checkboard>(material, 1, "Other size", {32, 16}, {-20, -40});

    // Inputs connected out of port order, so the cable order differs from the port order; one cable
    // joins nodes of different sizes, which the file keeps.
    const auto join = [&](std::size_t from, std::size_t to, int port) {
        return material.connect(material.getNode(from), -1, material.getNode(to), port) != nullptr;
    };
    EXPECT_TRUE(join(6, 7, 1));
    EXPECT_TRUE(join(5, 7, 0));
    EXPECT_TRUE(join(8, 9, 1));
    EXPECT_TRUE(join(7, 9, 0));
    EXPECT_TRUE(join(9, 10, 0));
    EXPECT_TRUE(join(10, 0, 0));
    EXPECT_TRUE(join(7, 3, 0));
    EXPECT_TRUE(join(11, 1, 0));

    const std::string first = materialToXml(material);
    Material loaded;
    ScriptedPrompt prompt;
    ASSERT_EQ(loadXmlText(loaded, first, prompt), LoadOutcome::Complete);
    expectSameMaterial(material, loaded);
    EXPECT_EQ(materialToXml(loaded), first);
    for (std::size_t i = 0; i < loaded.getNodeCount(); ++i) {
        EXPECT_TRUE(loaded.getNode(i).isDirty());
    }
}

TEST(MaterialXmlSaveTest, FilesHoldTheSameBytesAsTheTextAndLoadBack) {
    const TemporaryDirectory directory;
    Material material;
    addTyped<Velvor::Text>(material, 5, "Words", {16, 16}, {1, 2});
    saveXml(material, directory / "a.ostra-material");
    EXPECT_EQ(contentsOf(directory / "a.ostra-material"), materialToXml(material));

    Material loaded;
    ScriptedPrompt prompt;
    EXPECT_EQ(loadXml(loaded, directory / "a.ostra-material", prompt), LoadOutcome::Complete);
    expectSameMaterial(material, loaded);
    EXPECT_TRUE(prompt.messages.empty());
}

TEST(MaterialXmlSaveTest, FailedSaveNamesTheReasonAndKeepsWhatWasThere) {
    const TemporaryDirectory directory;
    const std::string path = directory / "folder.ostra-material";
    fs::create_directory(path);
    try {
        saveXml(Material(), path);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.getMessage(),
                  "Could not write file " + path + " (" + std::system_category().message(EISDIR) + ")");
    }
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_THROW(saveXml(Material(), directory / "missing/x.ostra-material"), Exception);
}
