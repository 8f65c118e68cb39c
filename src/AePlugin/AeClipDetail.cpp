// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "AePlugin/AeClipDetail.h"

#include <boost/locale/encoding_errors.hpp>
#include <boost/locale/encoding_utf.hpp>

namespace AeClipDetail
{

bool utf8FromZeroTerminatedUtf16(const char16_t* units, std::string& utf8)
{
    const char16_t* end = units + std::char_traits<char16_t>::length(units);
    try
    {
        utf8 = boost::locale::conv::utf_to_utf<char>(units, end, boost::locale::conv::stop);
        return true;
    }
    catch (const boost::locale::conv::conversion_error&)
    {
        return false;
    }
}

} // namespace AeClipDetail
