# The controller clock.
var[100]=GetTime();
var[101]=GetHour();
var[102]=GetMin();
var[103]=GetDay();
var[104]=GetMonth();
var[105]=GetYear();
var[106]=GetDayofWeek();

# Timer 1 fires every 10 s and counts its firings in var[111].
var[110]=StartTimer(1,10);
if (var[110]==1) { var[111]=var[111]+1; };
# Setting var[112] to 1 stops timer 1 once; var[113] says whether it was running.
if (var[112]==1) {
  var[113]=StopTimer(1);
  var[112]=0;
};
