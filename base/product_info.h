// The product's name, version and addresses as the windows show them.
#pragma once

namespace folimar {

inline constexpr char kProductNameVersion[] = "Quorvel Folimar V0.8";
inline constexpr char kLegalNotice[] = "Copyright (C) 2026 Quorvel. All rights reserved.";
inline constexpr char kProductWebPage[] = "https://www.quorvel.com/folimar";
inline constexpr char kMakerWebAddress[] = "www.quorvel.com";
inline constexpr char kSupportAddress[] = "support@quorvel.com";

} // namespace folimar
