#pragma once
#include <string>

// Writes a small data directory the show can play from: two height maps, six colour maps
// of bright colours, seven mostly black 640 x 480 pictures and, if `withMusic`, a short
// MP3 under the music's file name. Returns the directory.
std::string WriteShowData(const std::string& name, bool withMusic);
// The music file's path inside a data directory.
std::string MusicPath(const std::string& dataDir);
