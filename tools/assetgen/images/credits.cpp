#include "text_pictures.h"

namespace {

const Rgb HEADING{255, 226, 170};
const Rgb BODY{235, 240, 255};

TextLine Heading(const std::string& text) {
    return {text, 64, true, HEADING};
}
TextLine Body(const std::string& text) {
    return {text, 38, false, BODY};
}

}  // namespace

std::vector<TextPage> TextPages() {
    return {
        {"text1.png",
         {Heading("VOXELSHOW"), Body("a flight of 196 seconds"), Body("over endless mountains,"),
          Body("drawn as you watch")}},
        {"text2.png",
         {Heading("CODE"), Body("plain C++, one column"), Body("at a time, front to back,"),
          Body("every pixel in software")}},
        {"text3.png",
         {Heading("MUSIC"), Body("a soundtrack composed"), Body("by the machine itself"),
          Body("from a handful of numbers")}},
        {"text4.png",
         {Heading("HOW IT IS MADE"), Body("256 x 256 heights,"), Body("six colour maps,"),
          Body("187 keyframe tracks")}},
        {"text5.png",
         {Heading("GREETINGS"), Body("to all who build worlds"), Body("out of numbers,"),
          Body("and to you for watching")}},
        {"text6.png", {Heading("THE END"), Body("thank you for flying"), Body("with us")}},
    };
}
