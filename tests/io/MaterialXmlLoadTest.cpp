#include "MaterialBuilding.h"
#include "ScriptedPrompt.h"
#include "io/MaterialXml.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

const std::string ask = "\n\rDo you want to continue loading?";
const std::string notAMaterial = "Specified file is apparently not a velvor material!";

std::string document(const std::string& nodes, const std::string& cables) {
    return "<velvorMaterial><nodes>" + nodes + "</nodes><cables>" + cables + "</cables></velvorMaterial>";
}

std::string cable(int from, int to, int port) {
    return "<cable fromNode=\"" + std::to_string(from) + "\" toNode=\"" + std::to_string(to) +
           "\" toPort=\"" + std::to_string(port) + "\"/>";
}

// Checkerboard, Subplasma and Mixer of 8 x 8 with ids 10, 20 and 30.
const std::string threeNodes = "<checkerboard id=\"10\" typeId=\"1\" name=\"Chess\" size=\"8,8\"/>"
                               "<subplasma id=\"20\" typeId=\"3\" name=\"Clouds\" size=\"8,8\"/>"
                               "<mixer id=\"30\" typeId=\"2\" name=\"Mix\" size=\"8,8\"/>";

std::string nameOfCableSource(const Material& material, std::size_t cable) {
    return material.getCable(cable).getFrom().getName();
}

} // namespace

TEST(MaterialXmlLoadTest, NodeElementsAreReadByTypeIdWhateverTheirNames) {
    Material material;
    ScriptedPrompt prompt;
    const std::string nodes = "<foo id=\"1\" typeId=\"2\" name=\"Blend\" size=\" 16 , 8\" position=\"-5,7\" "
                              "amountA=\"12\" type=\"3\"/>"
                              "<collector id=\"2\" name=\"No type\"/>"
                              "<text typeId=\"5\" text=\"" +
                              std::string(5000, 'w') + "\" font=\"9\" colour=\"0x10\"/>";
    EXPECT_EQ(loadXmlText(material, document(nodes, ""), prompt), LoadOutcome::Complete);
    ASSERT_EQ(material.getNodeCount(), 3u); // no default collectors

    const VisualNode& mixer = material.getNode(0);
    EXPECT_EQ(mixer.getTypeName(), "Mixer");
    EXPECT_EQ(mixer.getName(), "Blend");
    EXPECT_EQ(mixer.getSize(), (Point{16, 8}));
    EXPECT_EQ(mixer.getPosition(), (Point{-5, 7}));
    const auto& mix = dynamic_cast<const Velvor::Mixer&>(mixer.getOperator());
    EXPECT_EQ(mix.amountA, 12);
    EXPECT_EQ(mix.amountB, 0); // absent: 0, not the default
    EXPECT_EQ(mix.type, 3);

    // Without "typeId" a node is a collector; without "size" and "position" both are 0,0.
    EXPECT_EQ(material.getNode(1).getTypeId(), 0);
    EXPECT_EQ(material.getNode(1).getSize(), (Point{0, 0}));
    EXPECT_EQ(material.getNode(1).getPosition(), (Point{0, 0}));

    const auto& text = dynamic_cast<const Velvor::Text&>(material.getNode(2).getOperator());
    EXPECT_EQ(text.getText(), std::string(1023, 'w'));
    EXPECT_EQ(text.font, 9); // outside the editor's range, kept
    EXPECT_EQ(text.colour, 16u);
    EXPECT_TRUE(prompt.messages.empty());
}

TEST(MaterialXmlLoadTest, DocumentsThatAreNoMaterialLeaveTheMaterialEmpty) {
    const std::string rejected[] = {
        "<VelvorMaterial><nodes><collector/></nodes></VelvorMaterial>",
        "<velvormaterial/>",
        "<velvorMaterial><nodes><collector/></nodes>", // not closed
        "",
        "just text",
        std::string("<velvorMaterial>\0</velvorMaterial>", 34),
    };
    for (const std::string& text : rejected) {
        SCOPED_TRACE(text);
        Material material;
        ScriptedPrompt prompt;
        EXPECT_EQ(loadXmlText(material, text, prompt), LoadOutcome::Rejected);
        EXPECT_EQ(material.getNodeCount(), 0u);
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_EQ(prompt.messages[0].caption, "Ai!");
        EXPECT_EQ(prompt.messages[0].text, notAMaterial);
    }

    Material material;
    ScriptedPrompt prompt;
    EXPECT_EQ(loadXml(material, "/nonexistent/velvor/material.ostra-material", prompt),
              LoadOutcome::Rejected);
    EXPECT_EQ(material.getNodeCount(), 0u);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, notAMaterial);
}

TEST(MaterialXmlLoadTest, HostileDocumentShapesAreRefusedBeforeParsing) {
    std::string deep;
    for (int i = 0; i < 200000; ++i) {
        deep += "<a>";
    }
    std::string manyAttributes = "<velvorMaterial><nodes><collector";
    for (int i = 0; i < 200000; ++i) {
        manyAttributes += " a" + std::to_string(i) + "=\"\"";
    }
    manyAttributes += "/></nodes></velvorMaterial>";
    // A declaration value that the parser might end elsewhere than a plain reading would.
    const std::string ambiguousDeclaration = "<?xml a=\" version=\"x>\"?>" + document("", "");

    for (const std::string* text :
         std::vector<const std::string*>{&deep, &manyAttributes, &ambiguousDeclaration}) {
        Material material;
        ScriptedPrompt prompt;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(loadXmlText(material, *text, prompt), LoadOutcome::Rejected);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        EXPECT_EQ(prompt.messages.size(), 1u);
    }

    // Declarations, comments and character data in their ordinary forms are fine.
    Material material;
    ScriptedPrompt prompt;
    const std::string ordinary = "<?xml version=\"1.0\" encoding='UTF-8' ?><!-- <a><a><a> -->"
                                 "<velvorMaterial><nodes><collector name=\"a&gt;b\"/></nodes>"
                                 "<cables><![CDATA[</cables>]]></cables></velvorMaterial>";
    EXPECT_EQ(loadXmlText(material, ordinary, prompt), LoadOutcome::Complete);
    ASSERT_EQ(material.getNodeCount(), 1u);
    EXPECT_EQ(material.getNode(0).getName(), "a>b");
}

TEST(MaterialXmlLoadTest, UnknownTypeAsksAndYesGoesOnWhileNoStopsAtOnce) {
    const std::string nodes = "<checkerboard id=\"1\" typeId=\"1\" name=\"Before\" size=\"8,8\"/>"
                              "<thing id=\"7\" typeId=\"9\" name=\"Odd\"/>"
                              "<normalmap id=\"2\" typeId=\"6\" name=\"After\" size=\"8,8\"/>";
    const std::string text = document(nodes, cable(1, 2, 0));
    const std::string question =
        "Could not create node with name 'Odd' and id 7, since I dont know that type :(" + ask;

    Material goOn;
    ScriptedPrompt yes({true});
    EXPECT_EQ(loadXmlText(goOn, text, yes), LoadOutcome::Partial);
    ASSERT_EQ(yes.questions.size(), 1u);
    EXPECT_EQ(yes.questions[0].caption, "Ai!");
    EXPECT_EQ(yes.questions[0].text, question);
    ASSERT_EQ(goOn.getNodeCount(), 2u);
    EXPECT_EQ(goOn.getNode(1).getName(), "After");
    EXPECT_EQ(goOn.getCableCount(), 1u);

    Material stop;
    ScriptedPrompt no({false});
    EXPECT_EQ(loadXmlText(stop, text, no), LoadOutcome::Stopped);
    EXPECT_EQ(no.questionTexts(), std::vector<std::string>{question});
    ASSERT_EQ(stop.getNodeCount(), 1u);
    EXPECT_EQ(stop.getNode(0).getName(), "Before");
    EXPECT_EQ(stop.getCableCount(), 0u);
}

TEST(MaterialXmlLoadTest, CablesToMissingNodesAskAboutTheSourceFirst) {
    const std::string cables = cable(99, 98, 0) + cable(10, 97, 1) + cable(10, 30, 0) + cable(20, 30, 1);
    Material material;
    ScriptedPrompt prompt({true, true});
    EXPECT_EQ(loadXmlText(material, document(threeNodes, cables), prompt), LoadOutcome::Partial);
    EXPECT_EQ(prompt.questionTexts(),
              (std::vector<std::string>{
                  "Could not create cable from node with id 99, since that node wasnt loaded!" + ask,
                  "Could not create cable to node with id 97, since that node wasnt loaded!" + ask}));
    ASSERT_EQ(material.getCableCount(), 2u);
    EXPECT_EQ(nameOfCableSource(material, 0), "Chess");
    EXPECT_EQ(material.getCable(0).getToPort(), 0);
    EXPECT_EQ(nameOfCableSource(material, 1), "Clouds");

    Material stopped;
    ScriptedPrompt no({false});
    EXPECT_EQ(
        loadXmlText(stopped, document(threeNodes, cable(10, 30, 0) + cable(5, 30, 1) + cable(20, 30, 1)), no),
        LoadOutcome::Stopped);
    EXPECT_EQ(stopped.getCableCount(), 1u);
    EXPECT_EQ(stopped.getNodeCount(), 3u);
}

TEST(MaterialXmlLoadTest, CablesToPortsTheTargetLacksAreAskedAboutAndNotCreated) {
    const std::string cables = cable(10, 30, -1) + cable(10, 30, 7) + cable(10, 30, 2) + cable(20, 30, 1);
    Material material;
    ScriptedPrompt prompt({true, true, true});
    EXPECT_EQ(loadXmlText(material, document(threeNodes, cables), prompt), LoadOutcome::Partial);
    const std::string lacking = " of node with id 30, since that node has no such input!" + ask;
    EXPECT_EQ(prompt.questionTexts(),
              (std::vector<std::string>{"Could not create cable to port -1" + lacking,
                                        "Could not create cable to port 7" + lacking,
                                        "Could not create cable to port 2" + lacking}));
    ASSERT_EQ(material.getCableCount(), 1u);
    EXPECT_EQ(material.getCable(0).getToPort(), 1);
}

TEST(MaterialXmlLoadTest, RefusedCablesAreDroppedSilentlyAndSizesAreNotCompared) {
    const std::string nodes = threeNodes + "<collector id=\"40\" name=\"Out\" size=\"4,4\"/>"
                                           "<normalmap id=\"50\" typeId=\"6\" size=\"8,8\"/>";
    const std::string cables = cable(10, 30, 0) + cable(20, 30, 0) // port taken
                               + cable(30, 30, 1)                  // node to itself
                               + cable(40, 50, 0)                  // collector as source
                               + cable(30, 40, 0);                 // 8 x 8 into 4 x 4: kept
    Material material;
    ScriptedPrompt prompt;
    EXPECT_EQ(loadXmlText(material, document(nodes, cables), prompt), LoadOutcome::Complete);
    ASSERT_EQ(material.getCableCount(), 2u);
    EXPECT_EQ(nameOfCableSource(material, 0), "Chess");
    EXPECT_EQ(nameOfCableSource(material, 1), "Mix");
    EXPECT_EQ(material.getCable(1).getTo().getName(), "Out");
}

TEST(MaterialXmlLoadTest, ALaterNodeWithTheSameIdTakesItOver) {
    const std::string nodes = "<checkerboard id=\"5\" typeId=\"1\" name=\"First\" size=\"8,8\"/>"
                              "<checkerboard id=\"5\" typeId=\"1\" name=\"Second\" size=\"8,8\"/>"
                              "<normalmap id=\"6\" typeId=\"6\" name=\"Bumps\" size=\"8,8\"/>";
    Material material;
    ScriptedPrompt prompt;
    EXPECT_EQ(loadXmlText(material, document(nodes, cable(5, 6, 0)), prompt), LoadOutcome::Complete);
    EXPECT_EQ(material.getNodeCount(), 3u);
    ASSERT_EQ(material.getCableCount(), 1u);
    EXPECT_EQ(nameOfCableSource(material, 0), "Second");
}

TEST(MaterialXmlLoadTest, NodesBeyondThePixelBudgetAreAskedAboutAndSkipped) {
    // 2^29 pixels is the budget; a plasma counts twice for its scratch image.
    const std::string nodes = "<checkerboard id=\"1\" typeId=\"1\" name=\"Dot\" size=\"1,1\"/>"
                              "<checkerboard id=\"2\" typeId=\"1\" name=\"Negative\" size=\"-4,4\"/>"
                              "<checkerboard id=\"3\" typeId=\"1\" name=\"Huge\" size=\"70000,70000\"/>"
                              "<checkerboard id=\"4\" typeId=\"1\" name=\"Too long\" size=\"536870912,1\"/>"
                              "<subplasma id=\"5\" typeId=\"3\" name=\"Clouds\" size=\"16384,16384\"/>"
                              "<normalmap id=\"6\" typeId=\"6\" name=\"Bumps\" size=\"1,1\"/>";
    const std::string cables = cable(1, 6, 0) + cable(3, 6, 0);
    Material material;
    ScriptedPrompt prompt({true, true, true, true, true});
    EXPECT_EQ(loadXmlText(material, document(nodes, cables), prompt), LoadOutcome::Partial);
    const auto tooLarge = [](const std::string& name, int id, const std::string& size) {
        return "Could not create node with name '" + name + "' and id " + std::to_string(id) +
               ", since its size " + size + " cannot be allocated!" + ask;
    };
    EXPECT_EQ(prompt.questionTexts(),
              (std::vector<std::string>{
                  tooLarge("Negative", 2, "-4,4"), tooLarge("Huge", 3, "70000,70000"),
                  tooLarge("Too long", 4, "536870912,1"), tooLarge("Clouds", 5, "16384,16384"),
                  "Could not create cable from node with id 3, since that node wasnt loaded!" + ask}));
    ASSERT_EQ(material.getNodeCount(), 2u);
    EXPECT_EQ(material.getNode(1).getName(), "Bumps");
    EXPECT_EQ(material.getCableCount(), 1u);
}

TEST(MaterialXmlLoadTest, NodesBeyondTheNodeLimitAreAskedAboutAndSkipped) {
    std::string nodes;
    for (std::size_t i = 0; i <= maxLoadedNodes; ++i) {
        nodes += "<checkerboard id=\"" + std::to_string(i) + "\" typeId=\"1\" name=\"n" + std::to_string(i) +
                 "\"/>";
    }
    Material material;
    ScriptedPrompt prompt({true});
    EXPECT_EQ(loadXmlText(material, document(nodes, ""), prompt), LoadOutcome::Partial);
    EXPECT_EQ(prompt.questionTexts(),
              std::vector<std::string>{"Could not create node with name 'n4096' and id 4096, "
                                       "since the material already holds 4096 nodes!" +
                                       ask});
    EXPECT_EQ(material.getNodeCount(), maxLoadedNodes);
}

TEST(MaterialXmlLoadTest, DocumentsOfMoreItemsThanAnyMaterialAreRefusedBeforeParsing) {
    // The parser spends hundreds of bytes on each item. Each document holds 300,000 items of one kind
    // besides others that alone would stay below the limit, so each kind must be counted.
    const std::pair<std::string, int> bodies[] = {
        {"<a/>", 300000}, {"<!---->", 300000}, {"x<a/>", 150000}, {"<a b='' c=''/>", 100000}};
    for (const auto& [item, count] : bodies) {
        SCOPED_TRACE(item);
        std::string text = "<velvorMaterial><other>";
        for (int i = 0; i < count; ++i) {
            text += item;
        }
        text += "</other></velvorMaterial>";
        Material material;
        ScriptedPrompt prompt;
        EXPECT_EQ(loadXmlText(material, text, prompt), LoadOutcome::Rejected);
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_EQ(prompt.messages[0].text, notAMaterial);
    }

    // The largest material that loads, every input port of 4096 mixers taken, written as a save
    // writes it, is accepted whole.
    const auto mixer = [](const std::string& id) {
        return "<mixer id=\"" + id + "\" typeId=\"2\" name=\"Mixer " + id +
               "\" size=\"0,0\" position=\"10,10\" amountA=\"256\" amountB=\"256\" type=\"0\" />";
    };
    std::string nodes;
    std::string cables;
    for (std::size_t i = 0; i < maxLoadedNodes; ++i) {
        nodes += mixer(std::to_string(i));
        const int source = static_cast<int>((i + 1) % maxLoadedNodes);
        cables += cable(source, static_cast<int>(i), 0);
        cables += cable(source, static_cast<int>(i), 1);
    }
    Material material;
    ScriptedPrompt prompt;
    EXPECT_EQ(loadXmlText(material, document(nodes, cables), prompt), LoadOutcome::Complete);
    EXPECT_EQ(material.getNodeCount(), maxLoadedNodes);
    EXPECT_EQ(material.getCableCount(), 2 * maxLoadedNodes);
}
