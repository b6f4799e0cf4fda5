#include "platform/sheet/xml_scanner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace keltrov::sheet {
namespace {

// Writes what the handler is told as one line: <name a=v>, text in [], </name>; pieces of text
// that follow each other are joined, since a reader may be given a text in several.
class Trace : public XmlHandler {
public:
    void Start(std::string_view name, const char** attributes) override {
        out += "<" + std::string(name);
        for (size_t i = 0; attributes[i]; i += 2) out += std::string(" ") + attributes[i] + "=" + attributes[i + 1];
        out += ">";
    }
    void End(std::string_view name) override { out += "</" + std::string(name) + ">"; }
    void Text(std::string_view text) override {
        if (out.ends_with(']')) {
            out.pop_back();
        } else {
            out += "[";
        }
        out += std::string(text) + "]";
    }
    std::string out;
};

// Scans the text handed over `piece` bytes a read, so that every token meets a read's end somewhere.
std::string Scan(const std::string& xml, size_t piece) {
    size_t at = 0;
    XmlRead read = [&](char* into, size_t capacity) {
        size_t n = std::min({piece, capacity, xml.size() - at});
        std::memcpy(into, xml.data() + at, n);
        at += n;
        return n;
    };
    Trace trace;
    ScanXml(read, trace);
    return trace.out;
}

constexpr size_t kPieces[] = {1, 2, 3, 7, 1 << 20};

TEST(XmlScanner, WellFormedPartsReadTheSameInAnyPieces) {
    const std::pair<std::string, std::string> cases[] = {
        {"<a/>", "<a></a>"},
        {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<x:a x:b='1' c = \"2\" />",
         "<a x:b=1 c=2></a>"},
        {"<r><c r=\"A1\" t=\"s\"><v>12</v></c></r>", "<r><c r=A1 t=s><v>[12]</v></c></r>"},
        {"<t>a&amp;b&lt;&gt;&quot;&apos;&#65;&#x4e2d;&#128512;</t>", "<t>[a&b<>\"'A中😀]</t>"},
        {"<t v=\"a&#10;b\tc\r\nd&#9;e>\">x\r\ny\rz</t>", "<t v=a\nb c d\te>>[x\ny\nz]</t>"},
        {"<t><![CDATA[<b>&amp;]]]]><![CDATA[>]]></t>", "<t>[<b>&amp;]]>]</t>"},
        {"<!-- before --><?pi data?><a><!-- - --><?x?>工资</a>\n<!--after-->", "<a>[工资]</a>"},
        {"<a\n b\t=\n'>'/>", "<a b=>></a>"},
        {"<a>]]</a>", "<a>[]]]</a>"},
        {"<p:a><p:b>x</p:b></p:a >", "<a><b>[x]</b></a>"},
    };
    for (const auto& [xml, expected] : cases) {
        for (size_t piece : kPieces) {
            EXPECT_EQ(Scan(xml, piece), expected) << xml << " in pieces of " << piece;
        }
    }
}

TEST(XmlScanner, MalformedPartsAreRefusedWithTheReasonAndLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "没有元素"},
        {"  <!-- x -->", "没有元素"},
        {"<a>", "元素没有结束"},
        {"<a><b></a></b>", "结束标记与开始标记不符"},
        {"<a></b>", "结束标记与开始标记不符"},
        {"<a/><b/>", "根元素之后还有元素"},
        {"<a/>x", "根元素之后还有文字"},
        {"x<a/>", "根元素之前有文字"},
        {"<a", "标记没有结束"},
        {"<a b=\"1></a>", "标记没有结束"},
        {"<a b=1/>", "属性值缺少引号"},
        {"<a b/>", "属性缺少 ="},
        {"<a b='1'c='2'/>", "属性之间缺少空格"},
        {"<a b='1' b='2'/>", "属性重复"},
        {"<a b='<'/>", "属性值中有 <"},
        {"<1a/>", "名称不对"},
        {"<a>&nbsp;</a>", "未定义的实体 &nbsp;"},
        {"<a>& b</a>", "& 之后缺少实体名"},
        {"<a>&#0;</a>", "字符引用不对"},
        {"<a>&#xD800;</a>", "字符引用不对"},
        {"<a>&#x110000;</a>", "字符引用不对"},
        {"<a>&#12a;</a>", "字符引用不对"},
        {"<a>&#;</a>", "字符引用不对"},
        {"<a>&#X41;</a>", "字符引用不对"},
        {"<a>]]></a>", "文字中有 ]]>"},
        {"<a><!-- a -- b --></a>", "注释中有 --"},
        {"<a>\x01</a>", "无效字符"},
        {"<a>\xC3</a>", "不是 UTF-8 文字"},
        {"<a>\xC0\x80</a>", "不是 UTF-8 文字"},
        {"<a>\xED\xA0\x80</a>", "不是 UTF-8 文字"},
        {"<a>\xEF\xBF\xBF</a>", "不是 UTF-8 文字"},
        {"<a>\xF4\x90\x80\x80</a>", "不是 UTF-8 文字"},
        {"<a/>\xE4\xB8", "不是 UTF-8 文字"},
        {"<![CDATA[x]]><a/>", "CDATA 在根元素之外"},
        {"<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", "不支持文档类型定义"},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>", "不支持的编码 UTF-16"},
        {" <?xml version=\"1.0\"?><a/>", "XML 声明不在开头"},
        {"<a><?XML x?></a>", "XML 声明不在开头"},
        {"<a><!x></a>", "标记不对"},
        {"<a>\n\n<b>\n</c></a>", "第 4 行"},
        {"<a>\n\xFF</a>", "第 2 行"},
    };
    for (const auto& [xml, reason] : cases) {
        for (size_t piece : kPieces) {
            try {
                Scan(xml, piece);
                ADD_FAILURE() << xml << " was read in pieces of " << piece;
            } catch (const XmlError& e) {
                EXPECT_NE(std::string(e.what()).find(reason), std::string::npos)
                    << xml << " in pieces of " << piece << ": " << e.what();
            }
        }
    }
}

TEST(XmlScanner, ManyAttributesAreCheckedForRepeatsBySorting) {
    std::string tag = "<a";
    for (int i = 0; i < 500; ++i) tag += " n" + std::to_string(i) + "=''";
    EXPECT_NO_THROW(Scan(tag + "/>", 1 << 20));
    EXPECT_THROW(Scan(tag + " n250=''/>", 1 << 20), XmlError);
}

TEST(XmlScanner, ATokenBeyondTheLimitIsRefusedWithoutReadingOn) {
    std::string huge = "<a>" + std::string(2 * kMaxXmlToken, 'x') + "</a>";
    try {
        Scan(huge, 1 << 20);
        ADD_FAILURE() << "a text of " << huge.size() << " bytes was read";
    } catch (const XmlError& e) {
        EXPECT_NE(std::string(e.what()).find("过长"), std::string::npos) << e.what();
    }
}

TEST(XmlScanner, TheHandlersExceptionPassesThrough) {
    struct Refusing : XmlHandler {
        void Start(std::string_view, const char**) override { throw std::logic_error("no"); }
        void End(std::string_view) override {}
        void Text(std::string_view) override {}
    } refusing;
    std::string xml = "<a/>";
    XmlRead read = [&xml](char* into, size_t capacity) {
        size_t n = std::min(capacity, xml.size());
        std::memcpy(into, xml.data(), n);
        xml.erase(0, n);
        return n;
    };
    EXPECT_THROW(ScanXml(read, refusing), std::logic_error);
}

}  // namespace
}  // namespace keltrov::sheet
