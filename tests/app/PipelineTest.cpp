// The renderer as a build step: overrides, output choice and naming, several inputs, listings, the
// JSON report and export presets.
#include "PngDecoding.h"
#include "RenderCommandFixture.h"

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

// A board and a plasma into two collectors; two nodes share the name "Twin".
const std::string twoCollectors =
    "<velvorMaterial><nodes>"
    R"(<checkerboard id="0" typeId="1" name="Board" size="16,16" blocks="2"/>)"
    R"(<subplasma id="1" typeId="3" name="Noise" size="16,16" grid="2" seed="511" colour="FFFFFFFF"/>)"
    R"(<collector id="2" typeId="0" name="Out board" size="16,16" index="0"/>)"
    R"(<collector id="3" typeId="0" name="Out noise" size="16,16" index="4"/>)"
    R"(<mixer id="4" typeId="2" name="Twin" size="16,16"/><mixer id="5" typeId="2" name="Twin" size="16,16"/>)"
    "</nodes><cables>"
    R"(<cable fromNode="0" toNode="2" toPort="0"/><cable fromNode="1" toNode="3" toPort="0"/>)"
    "</cables></velvorMaterial>";

class PipelineTest : public RenderCommandFixture {
protected:
    void SetUp() override {
        RenderCommandFixture::SetUp();
        input = write("two.ostra-material", twoCollectors);
    }
    // The digest line of collector k.
    std::string digestOf(std::vector<std::string> args, std::size_t k) {
        args.push_back("--digest");
        EXPECT_EQ(run(args), 0) << err.str();
        std::istringstream lines(out.str());
        std::string line;
        for (std::size_t i = 0; i <= k; ++i) {
            std::getline(lines, line);
        }
        return line;
    }
    std::string input;
};

struct UsageCase {
    std::vector<std::string> args;
    std::string message;
};

} // namespace

// Every usage error exits 2 and names what exists or is allowed; nothing is written.
TEST_F(PipelineTest, UsageErrorsNameWhatExists) {
    const UsageCase cases[] = {
        {{"--set", "Board.blocks"}, "--set takes NODE.PARAM=VALUE"},
        {{"--set", "blocks=3"}, "--set takes NODE.PARAM=VALUE"},
        {{"--set", "Nobody.blocks=3"}, "no node is named 'Nobody'; the nodes are 'Board', 'Noise', "},
        {{"--set", "Twin.amountA=3"}, "2 nodes are named 'Twin'; name one by its id: #4, #5"},
        {{"--set", "#6.blocks=3"}, "no node #6; the ids run from #0 to #5"},
        {{"--set", "Board.size=3"}, "node 'Board' (Checkerboard) has no parameter 'size'; it has blocks"},
        {{"--set", "Board.blocks=65"}, "takes a whole number from 1 to 64, not '65'"},
        {{"--set", "Board.blocks=4x"}, "takes a whole number from 1 to 64, not '4x'"},
        {{"--set", "#4.type=Screen"}, "takes one of 0 (Add), 1 (Multiply), 2 (Hue), 3 (Saturation)"},
        {{"--set", "Noise.colour=FFF"}, "takes a colour as eight hexadecimal digits AARRGGBB"},
        {{"--only", "Nothing"}, "no collector named 'Nothing'; its collectors are 'Out board', 'Out noise'"},
        {{"--name", "{material}/{index}"}, "--name: the name pattern may hold only"},
        {{"--name", "{colour}"}, "unknown field {colour}"},
        {{"--name", "{index"}, "leaves a '{' open"},
        {{"--preset", "x.json", "--name", "{index}"}, "--name cannot be given with it"},
        {{"--preset", "x.json", "--digest"}, "--digest and --check write none"},
        {{"--threads", "4097"}, "4097"},
        {{"--json", "-", "--digest"}, "give --json a file"},
    };
    for (const UsageCase& usage : cases) {
        std::vector<std::string> args = usage.args;
        args.insert(args.begin(), {input, "-o", file("png")});
        SCOPED_TRACE(args[3] + " " + args[4]);
        EXPECT_EQ(run(args), 2);
        EXPECT_NE(err.str().find(usage.message), std::string::npos) << err.str();
        EXPECT_FALSE(fs::exists(file("png/0_Out_board.png")));
    }
    EXPECT_EQ(run({input, input, "--packed-out", file("p")}), 2);
    const std::string packed = file("two.ostra-packed");
    ASSERT_EQ(run({input, "--packed-out", packed, "-o", file("png")}), 0) << err.str();
    EXPECT_EQ(run({packed, "--set", "Board.blocks=2"}), 2);
    EXPECT_NE(err.str().find("--set and --seed-offset need a material XML file"), std::string::npos);
}

// An override renders exactly as the same value written in the file; names, ids, labels and colours
// reach their parameter.
TEST_F(PipelineTest, OverridesRenderAsTheEditedFile) {
    std::string edited = twoCollectors;
    edited.replace(edited.find(R"(blocks="2")"), 10, R"(blocks="1")");
    edited.replace(edited.find("FFFFFFFF"), 8, "FF102030");
    const std::string editedPath = write("edited.ostra-material", edited);
    EXPECT_EQ(digestOf({input, "--set", "Board.blocks=1"}, 0), digestOf({editedPath}, 0));
    EXPECT_EQ(digestOf({input, "--set", "#0.blocks=+1"}, 0), digestOf({editedPath}, 0));
    EXPECT_EQ(digestOf({input, "--set", "Noise.colour=FF102030"}, 1), digestOf({editedPath}, 1));
    EXPECT_NE(digestOf({input}, 0), digestOf({editedPath}, 0));
    EXPECT_EQ(run({input, "--set", "#4.type=multiply", "--set", "#5.type=3", "--list", "--json", "-"}), 0);
    const Json listing = Json::parse(out.str());
    EXPECT_EQ(listing["materials"][0]["nodes"][4]["parameters"][2]["value"], 1);
    EXPECT_EQ(listing["materials"][0]["nodes"][5]["parameters"][2]["value"], 3);
}

// Seeds wrap within 0 .. 512, 513 values: 511 + 3 is 1, 511 - 1024 is 0.
TEST_F(PipelineTest, SeedOffsetsWrapWithinTheSeedRange) {
    for (const auto& [offset, seed] : {std::pair{"3", 1}, {"-1024", 0}, {"513", 511}}) {
        ASSERT_EQ(run({input, "--seed-offset", offset, "--list", "--json", "-"}), 0) << err.str();
        const Json noise = Json::parse(out.str())["materials"][0]["nodes"][1];
        EXPECT_EQ(noise["parameters"][1]["name"], "seed");
        EXPECT_EQ(noise["parameters"][1]["value"], seed) << offset;
        EXPECT_EQ(noise["parameters"][1]["maximum"], 512);
    }
    EXPECT_NE(digestOf({input, "--seed-offset", "3"}, 1), digestOf({input}, 1));
}

TEST_F(PipelineTest, OnlyAndNameChooseAndNameTheFiles) {
    ASSERT_EQ(
        run({input, "-o", file("png"), "--only", "Out noise", "--name", "{material}-{slot}-{collector}"}), 0)
        << err.str();
    EXPECT_EQ(out.str(), file("png") + "/two-4-Out_noise.png\n");
    // Several inputs: each reported with its own status, the worst for the run.
    ASSERT_EQ(run({input, file("missing.ostra-material"), "-o", file("many"), "--name", "{material}_{index}",
                   "--json", file("report.json")}),
              1);
    const Json report = Json::parse(read(file("report.json")));
    EXPECT_EQ(report["exitStatus"], 1);
    EXPECT_EQ(report["inputs"][0]["exitStatus"], 0);
    EXPECT_EQ(report["inputs"][0]["files"].size(), 2u);
    EXPECT_EQ(report["inputs"][1]["exitStatus"], 1);
    EXPECT_NE(report["inputs"][1]["errors"][0].get<std::string>().find("No such file or directory"),
              std::string::npos);
    // Two inputs of the same name would write the same files: the second is refused, not lost.
    fs::create_directories(dir / "other");
    const std::string twin = (dir / "other" / "two.ostra-material").string();
    fs::copy_file(input, twin);
    EXPECT_EQ(run({input, twin, "-o", file("same"), "--name", "{material}_{index}"}), 1);
    EXPECT_NE(err.str().find("written before in this run"), std::string::npos) << err.str();
}

// The report validates against the schema the man page describes, and its figures are the run's.
TEST_F(PipelineTest, TheReportFollowsItsSchema) {
    const std::string loose = write(
        "loose.ostra-material", "<velvorMaterial><nodes><collector id='1' typeId='0' name='Out' size='4,4'/>"
                                "</nodes><cables><cable fromNode='9' toNode='1' toPort='0'/></cables>"
                                "</velvorMaterial>");
    ASSERT_EQ(run({input, loose, "-o", file("png"), "--packed-out", file("x"), "--json", "-"}), 2);
    ASSERT_EQ(run({input, loose, "-o", file("png"), "--json", "-"}), 0) << err.str();
    const Json report = Json::parse(out.str());
    EXPECT_EQ(report["version"], 1);
    const Json& first = report["inputs"][0];
    EXPECT_EQ(first["files"][1]["slot"], 4);
    EXPECT_EQ(first["files"][1]["bytes"], fs::file_size(file("png/1_Out_noise.png")));
    EXPECT_EQ(first["files"][1]["digest"].get<std::string>() + " Out noise",
              digestOf({input}, 1).substr(digestOf({input}, 1).find("16x16 ") + 6));
    EXPECT_EQ(first["nodes"].size(), 4u); // board, its collector, plasma, its collector
    const Json& second = report["inputs"][1];
    EXPECT_EQ(second["questions"][0]["answer"], "yes");
    EXPECT_EQ(second["warnings"][0], "collector Out has no input; its image stays empty");

    const std::string reportPath = write("report.json", report.dump());
    const std::string schema = std::string(VELVOR_SOURCE_DIR) + "/docs/velvor-render-report.schema.json";
    if (std::system("python3 -c 'import jsonschema' 2>/dev/null") != 0) {
        GTEST_SKIP() << "python3-jsonschema is not installed (scripts/install-deps)";
    }
    const std::string validate =
        "python3 -c 'import json, sys, jsonschema; "
        "jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))' ";
    EXPECT_EQ(std::system((validate + reportPath + " " + schema).c_str()), 0);
    // The schema is strict enough to catch a field of the wrong kind.
    Json broken = report;
    broken["inputs"][0]["files"][0]["bytes"] = "many";
    EXPECT_NE(
        std::system((validate + write("broken.json", broken.dump()) + " " + schema + " 2>/dev/null").c_str()),
        0);
}

// Channels land where the preset puts them, green flipped, alpha dropped; a missing collector is named.
TEST_F(PipelineTest, PresetsPackChannels) {
    const std::string preset = write("pack.json", R"({"velvorPreset": 1, "outputs": [
        {"file": "{material}_packed", "writeAlpha": false, "flipGreen": true,
         "channels": {"red": {"collector": "Out board", "channel": "red"}, "green": {"value": 55},
                      "blue": {"slot": 4, "channel": "alpha"}}},
        {"file": "{material}_{collector}", "each": true}]})");
    ASSERT_EQ(run({input, "-o", file("png"), "--preset", preset}), 0) << err.str();
    EXPECT_EQ(out.str(), file("png/two_packed.png") + "\n" + file("png/two_Out_board.png") + "\n" +
                             file("png/two_Out_noise.png") + "\n");
    const std::string bytes = read(file("png/two_packed.png"));
    EXPECT_EQ(bytes[25], 2); // colour type RGB
    const Picture packed = decode(file("png/two_packed.png"));
    // The board's top-left quarter is black, its top-right white (BadInputTest's expectKeptBoard).
    EXPECT_EQ(packed.at(0, 0)[0], 0);
    EXPECT_EQ(packed.at(0, 15)[0], 255);
    EXPECT_EQ(packed.at(0, 0)[1], 255 - 55);
    const Picture noise = decode(file("png/two_Out_noise.png"));
    for (unsigned column = 0; column < 16; ++column) {
        EXPECT_EQ(packed.at(5, column)[2], noise.at(5, column)[3]) << column;
    }

    const std::string lacking = write("lacking.json", R"({"velvorPreset": 1, "outputs": [
        {"file": "n", "source": {"collector": "Normal map"}}]})");
    EXPECT_EQ(run({input, "-o", file("png"), "--preset", lacking}), 1);
    EXPECT_NE(err.str().find("needs the collector named 'Normal map', which the material lacks; it has 'Out "
                             "board' (slot 0), 'Out noise' (slot 4)"),
              std::string::npos)
        << err.str();
    for (const std::string& bad :
         {std::string("{"), std::string(R"({"velvorPreset": 2, "outputs": []})"),
          std::string(R"({"velvorPreset": 1, "outputs": [{"file": "a/b", "each": true}]})"),
          std::string(R"({"velvorPreset": 1, "outputs": [{"file": "a"}]})")}) {
        EXPECT_EQ(run({input, "-o", file("png"), "--preset", write("bad.json", bad)}), 1) << bad;
        EXPECT_NE(err.str().find(file("bad.json") + ": "), std::string::npos) << err.str();
    }
    // The shipped presets parse and apply to the examples they were made for.
    for (const char* shipped :
         {"one-file-per-collector", "diffuse-with-gloss-alpha", "normal-green-down"}) {
        const std::string example = std::string(VELVOR_SOURCE_DIR) + "/examples/" +
                                    (std::string(shipped) == "normal-green-down" ? "metal-plate" : "tiles") +
                                    ".ostra-material";
        EXPECT_EQ(run({example, "-o", file("shipped"), "--preset",
                       std::string(VELVOR_SOURCE_DIR) + "/presets/" + shipped + ".json"}),
                  0)
            << shipped << err.str();
    }
}
