#pragma once
namespace shell {

// Lets the C library keep the local time zone it loaded: with TZ unset it checks the zone file
// on disk for every date it converts, which is half the time of listing 100,000 files. Call at
// the start of main, before anything converts a date; a TZ the user set is left as it is.
void Pin_Local_Time_Zone();

} // namespace shell
