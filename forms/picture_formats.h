#pragma once
// Which picture files the program reads beyond the file list's own types: what the system's
// decoders (WIC) report, and the formats decoded here where the system has no decoder (TGA, PSD,
// QOI, Radiance HDR). Also why a picture could not be read, in words for the user.

#include <windows.h>
#include <wincodec.h>

#include <optional>
#include <string>
#include <vector>

#include "forms/picture.h"

namespace forms {

// The file extensions of the installed WIC decoders, in the order the system lists them, lower
// case with their dot; empty when the system cannot be asked. Needs COM on the calling thread.
std::vector<std::wstring> SystemDecoderExtensions();

// `pattern` ("*.bmp;*.gif") followed by "*.ext" for each extension it does not hold yet, in lower
// case and without repeats.
std::wstring PatternWithExtensions(const std::wstring& pattern, const std::vector<std::wstring>& extensions);

// The file list's pattern: `pattern`, then what the system decodes, then the built-in formats.
std::wstring PicturePattern(const std::wstring& pattern);

// Decodes a file the system has no decoder for with the built-in decoders, reading it whole and
// closing it first. Nothing when it is no built-in format, too large, or does not parse; `failure`
// then tells which (WINCODEC_ERR_COMPONENTNOTFOUND, WINCODEC_ERR_IMAGESIZEOUTOFRANGE, WINCODEC_ERR_BADIMAGE
// or the file system's error).
std::optional<Picture> LoadBuiltinPicture(const std::wstring& path, HRESULT& failure);

// S_OK when the system's decoder renders the file faithfully; WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT for
// a DDS in a block compression the system does not decode (BC4 to BC7: some decoders give noise for it).
HRESULT SystemDecodes(IWICBitmapDecoder* decoder);

// A short German sentence saying why a picture could not be read; empty when the status says nothing.
std::wstring PictureFailureText(HRESULT failure);

}  // namespace forms
