#pragma once
// The maker's web site; its pages lie under the path "/thetintavale/".

inline constexpr char MakerWebSite[] = "https://www.example.org/thetintavale/";
