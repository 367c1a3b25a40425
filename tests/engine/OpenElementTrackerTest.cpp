#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/OpenElementTracker.h"

namespace quorlex {
namespace {

// Each row feeds its lines one by one; `inside` says, line by line, whether the text so far
// ends inside an element ('1') or not ('0').
TEST(OpenElementTracker, SaysWhetherTheTextEndsInsideAnElement) {
  static const struct {
    const char* name;
    std::vector<std::string> lines;
    const char* inside;
  } kCases[] = {
      {"plain markup", {"<p>Some <b>text</b></p>"}, "0"},
      {"a comment over two lines", {"a <!-- one", "two --> b"}, "10"},
      {"a comment ends after its start", {"<!-->", "-->"}, "10"},
      {"a script in any case", {"<SCRIPT type=\"x\">", "if (a<b) {}", "</Script>"}, "110"},
      {"a comment in a script is script", {"<script>", "<!--", "</script> x"}, "110"},
      {"a script with its attributes on the next line", {"<script", " src=x>", "</script>"}, "110"},
      {"a style sheet", {"<style>", "p { color: red }", "</STYLE>"}, "110"},
      {"a head",
       {"<html><head>", "<title>T</title><!--[if mso]><xml>", "</xml>", "</head>"},
       "1110"},
      {"a head ends only at </head>", {"<head>", "</header>", "</head >", "</head>"}, "1110"},
      {"a header opens nothing", {"<header>", "<headline>", "</header>"}, "000"},
      {"nested templates", {"<template>", "<TEMPLATE><p>", "</template>", "</template >"}, "1110"},
      {"an svg closing itself opens nothing", {"<svg/>", "<svg width=1 />"}, "00"},
      {"an svg closing itself inside an svg", {"<svg>", "<svg />", "</svg>"}, "110"},
      {"another name is no end tag", {"<svg>", "</svgs>", "</svg>"}, "110"},
      {"two elements on one line", {"<!-- a --><script>x", "</script><!-- b", "-->"}, "110"},
      {"one that never ends", {"<!--", "a", "b"}, "111"},
      {"a hidden div with divs inside", {"<div hidden>", "<div>a</div>", "</DIV>"}, "110"},
      {"a style that hides", {"<p style=\"DISPLAY : none\">", "</p>"}, "10"},
      {"aria-hidden", {"<span class=x aria-hidden=\"true\">", "</span>"}, "10"},
      {"a void hidden element opens nothing", {"<img hidden src=x>", "<p>"}, "00"},
      {"until-found opens nothing", {"<div hidden=until-found>", "<p>"}, "00"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    OpenElementTracker tracker;
    std::string inside;
    for (const std::string& line : c.lines) {
      tracker.Feed(line);
      inside += tracker.Inside() ? '1' : '0';
    }
    EXPECT_EQ(c.inside, inside);
  }
}

}  // namespace
}  // namespace quorlex
