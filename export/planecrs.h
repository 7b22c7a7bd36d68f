// The coordinate reference systems of an export: the EPSG code of a job's plane zone, and
// plane or recorded geodetic positions taken to WGS84 with the console's own geodesy.
#pragma once

namespace tidrun {

// What the plane coordinates of the world map datum are called: JGD2011 by default, JGD2000
// for jobs surveyed against it. The old Japanese map datum is the Tokyo datum.
enum class PlaneFrame { Jgd2011, Jgd2000, Tokyo };

// EPSG code of zone index 0..18 (zone 1..19): JGD2011 6669..6687, JGD2000 2443..2461,
// Tokyo 30161..30179; 0 for a zone out of range.
int PlaneEpsg(PlaneFrame frame, int zone);

// Plane X (northing), Y (easting) of a zone on a datum of the table, to latitude and
// longitude in degrees on the same datum: the inverse of the console's projection, found by
// Newton steps on it, so that a position goes back to the plane within a tenth of a
// millimetre. False for a zone or datum out of range or a position that does not converge.
bool PlaneToGeodetic(int zone, int datum, double X, double Y, double& latDeg, double& lonDeg);

// Latitude and longitude in degrees on a datum of the table to WGS84 (height taken as 0).
bool GeodeticToWgs84(int datum, double latDeg, double lonDeg, double& wgsLat, double& wgsLon);

// Both steps.
bool PlaneToWgs84(int zone, int datum, double X, double Y, double& wgsLat, double& wgsLon);

}  // namespace tidrun
