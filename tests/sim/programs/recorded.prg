# Functions the simulator only records: each gives 0.
var[600]=Shutdown(1);
var[601]=SendRemoteCmd(1,2,3,var[610]);
var[602]=FanSpeedSetup(1,20,22,24,1);
var[603]=CalculateFanSpeed(1,var[611],22,0);
