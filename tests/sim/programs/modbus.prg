# ModBus device var[501]: a register read (9999 when it fails, the code in var[504]),
# a register write, a coil and the device's presence.
var[500]=ReadInt16Register(var[501],var[502],var[503],9999,504);
if (var[506]!=0) {
  var[505]=PresetInt16Reg(var[501],6,var[506],var[507]);
};
var[508]=ForceSingleCoil(var[501],var[509],var[510]);
var[511]=GetMBUnitStatus(var[501]);
