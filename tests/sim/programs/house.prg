# Relays, points and module data of a discrete module at address 1.
var[400]=Set_Relay_State(1,var[401],var[402]);
var[403]=Set_Relays_State(1,var[404],var[405]);
var[406]=Get_Point_State(1,var[407]);
var[408]=GetUnitData(1);
var[409]=GetUnitData0(1);
var[410]=GetUnitData1(1);
var[411]=GetUnitActiveStatus(var[412]);
# Analog outputs at 12, a dimmer at 17, a thermostat at 8, a voice module at 23.
var[413]=SetAnalogOutput(12,1,var[414]);
var[415]=Set_VXDM4_DimOutput(17,var[430],var[416]);
var[417]=Get_VXDM4_OnOffOutput(17,var[430]);
var[418]=Get_VXDM4_DimOutput(17,var[430]);
var[419]=SetThermoregOutput(8,0,var[420]);
# Module parameters.
var[421]=Set_Unit_Param(1,var[422],var[423]);
var[424]=Get_Unit_Param(1,var[422]);
var[425]=VXVC_Play(23,var[426]);
